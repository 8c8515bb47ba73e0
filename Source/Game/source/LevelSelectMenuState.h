#pragma once
// The level select: one button per level found on disk, named by chapter and level (three levels
// a chapter, in sorted order), laid out a chapter per row, plus "Back".
#include "MenuWidgets.h"
#include "State.h"
#include "UiSprite.h"
#include "stringRegistry/StringId.h"

#include <filesystem>
#include <string>
#include <vector>

class LevelSelectMenuState final : public State
{
public:
    static constexpr const char* SCENE_FOLDER = "scenes/game_scenes";

    void Init() override;
    // Starts decoding what Init loads, on worker threads (before the engine may run).
    static void Prefetch();
    StateCommand Update(const UpdateContext& aContext) override;
    void Render() override;

    // Every ".qls" file under aFolder (recursively), as paths relative to aRoot with '/', sorted.
    // A folder that cannot be read throws the filesystem error.
    static std::vector<std::string> FindLevels(const std::filesystem::path& aRoot, const std::string& aFolder);
    // "Chapter 1-1" for the first level, "Chapter 2-1" for the fourth.
    static std::string MakeLabel(int aLevelIndex);
    struct Cell
    {
        int myRow = 0;
        int myColumn = 0;
    };
    // Level i sits at (i / 3, i mod 3); "Back" (index aLevelCount) at (aLevelCount / 3, 1).
    static Cell GetCell(int aIndex, int aLevelCount);
    // Centre of level button i in render pixels (y from the bottom) for aLevelCount levels.
    static Qel::Vector2f GetLevelButtonCentre(int aIndex, int aLevelCount, float aWidth, float aHeight);
    // The button reached from aFrom by a menu direction (8 up, 9 down, 10 right, 11 left); aFrom when
    // nothing lies that way.
    static int Navigate(int aFrom, Qel::u32 aAction, int aLevelCount);

    // Builds the list from a folder of the caller's choice (Init uses the game's scene folder).
    void BuildFrom(const std::filesystem::path& aRoot);
    const std::vector<MenuButton>& GetButtons() const { return myButtons; }
    const std::vector<Qel::StringId>& GetLevelPaths() const { return myLevelPaths; }
    int GetSelected() const { return mySelected; }

private:
    void LayoutButtons();

    UiSprite myBackground;
    std::vector<Qel::StringId> myLevelPaths;
    std::vector<MenuButton> myButtons;
    int mySelected = 0;
    int myLastSelected = 0;
};
