#include "LevelLoadingState.h"

#include "engine/Engine.h"
#include "graphics/GraphicsEngine.h"
#include "graphics/GraphicsStateStack.h"
#include "text/TextService.h"

#include <algorithm>

namespace
{
constexpr const char* BACKGROUND_TEXTURE = "art/2d/Textures/T_UI_BlackScreen.png";
constexpr const char* MESSAGE_FONT = "art/2d/Fonts/Nippo/Nippo-Regular.otf";
constexpr Qel::u32 MESSAGE_SIZE = 60;

// Shown whole, the trailing blank included.
constexpr const char* REASON_LINES[] = {
    "> Getting ready... ",
    "> Ascending... ",
    "> Life lost ",
    "> Out of lives (Checkpoint lost) ",
    "> You died (out of time) ",
};
}

const char* LevelLoadingState::GetReasonLine(Qel::u8 aReason)
{
    return aReason < std::size(REASON_LINES) ? REASON_LINES[aReason] : nullptr;
}

void LevelLoadingState::Prefetch()
{
    UiSprite::Prefetch(BACKGROUND_TEXTURE);
    Qel::TextService::Prefetch(MESSAGE_FONT, MESSAGE_SIZE, 0);
}

LevelLoadingState::LevelLoadingState() : myMessage(MESSAGE_FONT, MESSAGE_SIZE) {}

void LevelLoadingState::Init()
{
    myBackground.Init(BACKGROUND_TEXTURE, 0.5f, 0.5f);
    myMessage = Qel::Text(MESSAGE_FONT, MESSAGE_SIZE);
    myMessage.SetColor({1.0f, 0.98f, 0.25f, 1.0f});
    myMessage.SetText(REASON_LINES[0]);
    const auto [width, height] = GetRenderSizeF();
    SetScreenSize(width, height);
    myBackground.CenterOnScreen();
    myBackground.SetSize(width, height);
}

void LevelLoadingState::Relayout()
{
    const auto [width, height] = GetRenderSizeF();
    if (GetScreenSize() == std::pair<float, float>{width, height})
        return;
    SetScreenSize(width, height);
    myBackground.CenterOnScreen();
    myBackground.SetSize(width, height);
}

StateCommand LevelLoadingState::Update(const UpdateContext& aContext)
{
    Relayout();
    UpdateTimer(aContext.myDeltaTime);

    // The text keeps its own copy; assigning the same line again reuses it without allocating.
    if (const char* line = GetReasonLine(myReason); line && myMessage.GetText() != line)
        myMessage.SetText(line);

    // The layout is made for 2560 x 1440.
    const auto [width, height] = GetRenderSizeF();
    const float scale = std::min(height / 1440.0f, width / 2560.0f);
    myMessage.SetScale(scale);
    myMessage.SetPosition({(width - myMessage.GetWidth()) * 0.5f, (height - myMessage.GetHeight()) * 0.5f});

    if (myLevelReady && GetTimer() > myMinimumTime)
        return MakeCommand(COMMAND_REMOVE_LOADING_SCREEN, true);
    return MakeCommand(COMMAND_LOAD_STEP);
}

void LevelLoadingState::Render()
{
    Qel::Engine* engine = Qel::Engine::GetInstance();
    if (!engine || !engine->GetGraphicsEngine() || !engine->GetGraphicsEngine()->GetGraphicsStateStack())
        return;
    Qel::GraphicsStateStack* states = engine->GetGraphicsEngine()->GetGraphicsStateStack();
    states->Push();
    states->SetScreenSpaceCamera();
    states->SetBlendState(1);   // alpha blend
    myBackground.Render();
    myMessage.Render();
    states->Pop();
}
