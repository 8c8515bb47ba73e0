#include "LevelSelectMenuState.h"

#include "InputMapper.h"
#include "input/InputManager.h"
#include "settings/Settings.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace
{
constexpr const char* BACKGROUND_TEXTURE = "art/2d/Textures/T_UI_Background_Alt.png";
constexpr int LEVELS_PER_CHAPTER = 3;
// Layout units, scaled by render height / 1000 like the buttons themselves.
constexpr float BUTTON_WIDTH = 200.0f;
constexpr float BUTTON_GAP = 22.0f;
constexpr float ROW_PITCH = 135.0f;
constexpr float FIRST_ROW = 0.6f;
constexpr float BACK_Y = 0.2f;
}

std::vector<std::string> LevelSelectMenuState::FindLevels(const std::filesystem::path& aRoot, const std::string& aFolder)
{
    std::vector<std::string> levels;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(aRoot / aFolder))
    {
        if (entry.is_regular_file() && entry.path().extension() == ".qls")
            levels.push_back(entry.path().lexically_relative(aRoot).generic_string());
    }
    std::sort(levels.begin(), levels.end());
    return levels;
}

std::string LevelSelectMenuState::MakeLabel(int aLevelIndex)
{
    return "Chapter " + std::to_string(aLevelIndex / LEVELS_PER_CHAPTER + 1) + "-" +
           std::to_string(aLevelIndex % LEVELS_PER_CHAPTER + 1);
}

LevelSelectMenuState::Cell LevelSelectMenuState::GetCell(int aIndex, int aLevelCount)
{
    if (aIndex >= aLevelCount)
        return {aLevelCount / LEVELS_PER_CHAPTER, 1};
    return {aIndex / LEVELS_PER_CHAPTER, aIndex % LEVELS_PER_CHAPTER};
}

Qel::Vector2f LevelSelectMenuState::GetLevelButtonCentre(int aIndex, int aLevelCount, float aWidth, float aHeight)
{
    const float unit = aHeight / 1000.0f;
    const Cell cell = GetCell(aIndex, aLevelCount);
    const int inRow = std::min(LEVELS_PER_CHAPTER, aLevelCount - LEVELS_PER_CHAPTER * cell.myRow);
    const float rowWidth = (inRow - 1) * BUTTON_GAP + inRow * BUTTON_WIDTH;
    const float x = aWidth / 2.0f + (-rowWidth / 2.0f + BUTTON_WIDTH / 2.0f + cell.myColumn * (BUTTON_WIDTH + BUTTON_GAP)) * unit;
    const float y = FIRST_ROW * aHeight - cell.myRow * ROW_PITCH * unit;
    return {x, y};
}

int LevelSelectMenuState::Navigate(int aFrom, Qel::u32 aAction, int aLevelCount)
{
    const int count = aLevelCount + 1;
    if (aFrom < 0 || aFrom >= count)
        return aFrom;
    const Cell from = GetCell(aFrom, aLevelCount);
    int best = aFrom;
    int bestRow = INT_MAX, bestColumn = INT_MAX;
    for (int i = 0; i < count; ++i)
    {
        if (i == aFrom)
            continue;
        const Cell cell = GetCell(i, aLevelCount);
        const int rowDistance = std::abs(cell.myRow - from.myRow), columnDistance = std::abs(cell.myColumn - from.myColumn);
        bool candidate = false;
        switch (aAction)
        {
        case ACTION_MENU_UP: candidate = cell.myRow < from.myRow; break;
        case ACTION_MENU_DOWN: candidate = cell.myRow > from.myRow; break;
        case ACTION_MENU_RIGHT: candidate = cell.myRow == from.myRow && cell.myColumn > from.myColumn; break;
        case ACTION_MENU_LEFT: candidate = cell.myRow == from.myRow && cell.myColumn < from.myColumn; break;
        default: break;
        }
        // Nearest row first, then nearest column; on a full tie the lower index (the first found).
        if (candidate && (rowDistance < bestRow || (rowDistance == bestRow && columnDistance < bestColumn)))
        {
            best = i;
            bestRow = rowDistance;
            bestColumn = columnDistance;
        }
    }
    return best;
}

void LevelSelectMenuState::Prefetch()
{
    UiSprite::Prefetch(BACKGROUND_TEXTURE);
    MenuButton::Prefetch();
}

void LevelSelectMenuState::Init()
{
    myBackground.Init(BACKGROUND_TEXTURE, 0.5f, 0.5f);
    BuildFrom(Qel::Settings::GetGameAssetsPath());
}

void LevelSelectMenuState::BuildFrom(const std::filesystem::path& aRoot)
{
    std::vector<std::string> levels;
    try
    {
        levels = FindLevels(aRoot, SCENE_FOLDER);
    }
    catch (const std::filesystem::filesystem_error& error)
    {
        // No levels to offer: the menu still opens, with "Back" alone.
        std::fprintf(stderr, "The level select found no levels in %s: %s\n", (aRoot / SCENE_FOLDER).string().c_str(),
                     error.what());
    }
    myLevelPaths.clear();
    myButtons.clear();
    myButtons.resize(levels.size() + 1);
    for (size_t i = 0; i < levels.size(); ++i)
    {
        myLevelPaths.push_back(Qel::StringId(levels[i]));
        myButtons[i].Setup(MakeLabel(static_cast<int>(i)), MenuButton::KIND_START);
    }
    myButtons.back().Setup("Back", MenuButton::KIND_SMALL);
    LayoutButtons();
    const int count = static_cast<int>(myButtons.size());
    if (mySelected < 0 || mySelected >= count)
        mySelected = 0;
    myLastSelected = std::max(0, mySelected);
}

void LevelSelectMenuState::LayoutButtons()
{
    const auto [width, height] = GetRenderSizeF();
    SetScreenSize(width, height);
    myBackground.CenterOnScreen();
    myBackground.SetSize(width, height);
    const int levels = static_cast<int>(myLevelPaths.size());
    for (int i = 0; i < levels; ++i)
    {
        const Qel::Vector2f centre = GetLevelButtonCentre(i, levels, width, height);
        myButtons[size_t(i)].SetRelativePosition(centre.x / width, centre.y / height);
    }
    myButtons.back().SetRelativePosition(0.5f, BACK_Y);
}

StateCommand LevelSelectMenuState::Update(const UpdateContext& aContext)
{
    UpdateTimer(aContext.myDeltaTime);
    if (aContext.myActions)
        aContext.myActions->UpdateCursorVisibility(aContext);
    const bool cursorShown = aContext.myInput && aContext.myInput->IsCursorVisible();
    if (GetScreenSize() != GetRenderSizeF())
        LayoutButtons();

    const int levels = static_cast<int>(myLevelPaths.size());
    if (aContext.myInput)
    {
        const Qel::Vector2f delta = aContext.myInput->GetMouseDelta();
        if (delta.x != 0.0f || delta.y != 0.0f)
            mySelected = -1;
    }
    if (aContext.myActions)
    {
        for (Qel::u32 action : {ACTION_MENU_UP, ACTION_MENU_DOWN, ACTION_MENU_RIGHT, ACTION_MENU_LEFT})
        {
            if (!aContext.myActions->IsActionPressed(action))
                continue;
            const int from = mySelected >= 0 ? mySelected : myLastSelected;
            mySelected = Navigate(from, action, levels);
            break;
        }
    }
    for (size_t i = 0; i < myButtons.size(); ++i)
    {
        myButtons[i].SetMouseAllowed(cursorShown);
        myButtons[i].Update(aContext, static_cast<int>(i) == mySelected);
        if (cursorShown && myButtons[i].IsHovered())
            mySelected = static_cast<int>(i);
    }
    if (mySelected >= 0)
        myLastSelected = mySelected;

    const bool backPressed = aContext.myActions && aContext.myActions->IsActionPressed(ACTION_BACK);
    if (myButtons.back().IsClicked() || backPressed)
        return MakeCommand(COMMAND_MAIN_MENU, true);
    for (int i = 0; i < levels; ++i)
    {
        if (myButtons[size_t(i)].IsClicked())
        {
            SetCursorVisible(false);
            return MakeLevelCommand(COMMAND_START_LEVEL, myLevelPaths[size_t(i)], true);
        }
    }
    return {};
}

void LevelSelectMenuState::Render()
{
    const MenuDrawScope scope;
    myBackground.Render();
    for (MenuButton& button : myButtons)
        button.Render();
}
