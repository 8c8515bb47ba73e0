#include "EndingCreditsState.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "InputMapper.h"
#include "text/TextService.h"

#include <algorithm>

namespace
{
constexpr const char* BLACK_TEXTURE = "art/2d/Textures/T_UI_BlackScreen.png";
constexpr const char* LOGO_TEXTURE = "art/2d/Textures/T_UI_TitleLogo.png";
constexpr const char* TEXT_FONT = "art/2d/Fonts/Nippo/Nippo-Regular.otf";
constexpr Qel::u32 TEXT_SIZE = 36;
const Qel::Color TEXT_COLOR{1.0f, 0.98f, 0.25f, 1.0f};
constexpr float LOGO_Y = 0.8f;
constexpr float LOGO_SCALE = 0.7f;

// Shows the first aCount characters of aFull, rewriting the text only when the count grows.
void Type(Qel::Text& aText, const std::string& aFull, size_t aCount, size_t& aShown)
{
    const size_t count = std::min(aCount, aFull.size());
    if (count <= aShown)
        return;
    aShown = count;
    aText.SetText(aFull.substr(0, count));
}
}

void EndingCreditsState::Prefetch()
{
    UiSprite::Prefetch(BLACK_TEXTURE);
    UiSprite::Prefetch(LOGO_TEXTURE);
    Qel::TextService::Prefetch(TEXT_FONT, TEXT_SIZE, 0);
}

void EndingCreditsState::Init()
{
    myBlack.Init(BLACK_TEXTURE, 0.5f, 0.5f);
    myTitleLogo.Init(LOGO_TEXTURE, 0.5f, 0.78f);
    myLogoShader.Init("art/shaders/Glitch");
    for (Qel::Text* text : {&myStatisticsText, &myLeftText, &myRightText})
    {
        *text = Qel::Text(TEXT_FONT, TEXT_SIZE);
        text->SetColor(TEXT_COLOR);
    }
    // Names in plain ASCII (the texts draw one byte a character), short enough for the two
    // columns to stand side by side; the right column keeps a blank line beside the left's
    // longest headers.
    myLeftColumn = std::string("\n--- Graphics ---\n") + "Owlbright studio\n" +
                   "\n--- Procedural art ---\n" + "Our generators\n" +
                   "\n--- Level design ---\n" + "Owlbright team\n" +
                   "\n--- 3rd party ---\n" + "SDL2, OpenGL\nOpenAL Soft\nFFmpeg, FreeType\n" +
                   "nlohmann json\nDear ImGui, stb\nAssimp\nDejaVu fonts\n";
    myRightColumn = std::string("--- Programming ---\n") + "Owlbright team\nQel engine\nGame code\n" +
                    "\n--- Sound effects ---\n" + "Our synthesiser\n" +
                    "\n--- Music ---\n" + "Our synthesiser\n";
    ResetTexts();
    Relayout();
}

void EndingCreditsState::ResetTexts()
{
    myShownStatistics = myShownLeft = myShownRight = 0;
    myStatisticsText.SetText(std::string());
    myLeftText.SetText(std::string());
    myRightText.SetText(std::string());
}

void EndingCreditsState::SetStatistics(Qel::i32 aScore, Qel::i32 aBatteries, Qel::i32 aExtraLives)
{
    myScore = aScore;
    myBatteries = aBatteries;
    myExtraLives = aExtraLives;
    myStatistics = "Score: " + std::to_string(aScore) + "\nBatteries: " + std::to_string(aBatteries) +
                   "\nExtra lives: " + std::to_string(aExtraLives);
}

void EndingCreditsState::Relayout()
{
    const auto [width, height] = GetRenderSizeF();
    SetScreenSize(width, height);
    myBlack.CenterOnScreen();
    myBlack.SetSize(width, height);
}

StateCommand EndingCreditsState::Update(const UpdateContext& aContext)
{
    const auto [width, height] = GetRenderSizeF();
    if (GetScreenSize() != std::pair<float, float>{width, height})
        Relayout();
    const Qel::Vector2f logo = myTitleLogo.GetTextureSize();
    myTitleLogo.SetSize(logo.x * height / 1000.0f * LOGO_SCALE, logo.y * height / 1000.0f * LOGO_SCALE);
    myTitleLogo.SetPosition(width * 0.5f, height * LOGO_Y);

    UpdateTimer(aContext.myDeltaTime);
    const size_t count = static_cast<size_t>(std::max(0.0f, GetTimer() / SECONDS_PER_CHARACTER));
    Type(myStatisticsText, myStatistics, count, myShownStatistics);
    Type(myLeftText, myLeftColumn, count, myShownLeft);
    Type(myRightText, myRightColumn, count, myShownRight);

    const float scale = GetMenuTextScale();
    myLeftText.SetScale(scale);
    myRightText.SetScale(scale);
    myStatisticsText.SetScale(scale);
    myLeftText.SetPosition({0.3f * width, 0.65f * height});
    myRightText.SetPosition({0.5f * width, 0.65f * height});
    myStatisticsText.SetPosition({0.05f * width, 0.7f * height});

    if (aContext.myActions && aContext.myActions->IsActionPressed(ACTION_SKIP))
    {
        GetAudioManager().StopAmbient(AMBIENT_LEVEL3);
        GetAudioManager().PlayMusic(MUSIC_MENU);
        return MakeCommand(COMMAND_MAIN_MENU, true);
    }
    return {};
}

void EndingCreditsState::Render()
{
    const MenuDrawScope scope;
    myBlack.Render();
    myTitleLogo.Render(myLogoShader.Get());
    myStatisticsText.Render();
    myLeftText.Render();
    myRightText.Render();
}
