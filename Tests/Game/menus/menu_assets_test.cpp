// Every texture, font, shader, film and level the menus and screens name is in the built tree,
// and the textures and shaders load for real (no placeholder).
#include "GraphicsTestContext.h"
#include "IntroCutsceneState.h"
#include "graphics/SpriteShader.h"
#include "settings/Settings.h"
#include "texture/Texture.h"
#include "video/Video.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace Qel;

namespace
{
class MenuAssetsTest : public QelTest::GraphicsTest
{
protected:
    void SetUp() override
    {
        QelTest::GraphicsTest::SetUp();
        const char* bin = std::getenv("QEL_BIN_DIR");
        ASSERT_NE(bin, nullptr);
        myBin = bin;
        EngineCreateParameters parameters;
        ASSERT_TRUE(Settings::LoadSettingsFrom(myBin, "Game.json", parameters));
        Settings::GetExecutableFolder() = myBin;
    }
    std::filesystem::path myBin;
};
}

TEST_F(MenuAssetsTest, EveryScreenTextureExistsAndLoads)
{
    const char* const names[] = {"T_UI_QELSplash", "T_UI_RuvSplash", "T_UI_MossbinSplash", "T_UI_BlackScreen",
                                 "T_UI_ButtonMedium", "T_UI_Button_Small", "T_UI_SelectionArrow", "T_UI_Slider",
                                 "T_UI_SliderGrabber", "T_UI_Background", "T_UI_MainMenuFrame", "T_UI_TitleLogo",
                                 "T_UI_Background_Alt", "T_UI_PauseBackground", "T_UI_PauseWindow", "T_UI_CreditsNames"};
    for (const char* name : names)
    {
        const std::string path = std::string("art/2d/Textures/") + name + ".png";
        ASSERT_FALSE(ResolveAssetPath(path).empty()) << path;
        const Texture* texture = myTextures->TryLoadTexture(path, TEXTURE_COLOR_MODE_FORCE_SRGB);
        ASSERT_NE(texture, nullptr) << path;
        EXPECT_FALSE(texture->IsFailed()) << path;
        EXPECT_GE(texture->GetWidth(), 64u) << path;
    }
    const Texture* vignette = myTextures->TryLoadTexture("art/2d/Textures/VignetteTexture.dds");
    ASSERT_NE(vignette, nullptr);
    EXPECT_FALSE(vignette->IsFailed());
    // Full-screen pictures are made for 2560 x 1440.
    EXPECT_EQ(myTextures->TryLoadTexture("art/2d/Textures/T_UI_Background.png", TEXTURE_COLOR_MODE_FORCE_SRGB)->GetWidth(), 2560u);
}

TEST_F(MenuAssetsTest, FontsHaveTheirLicenceBesideThem)
{
    for (const char* path : {"Text/arial.ttf", "art/2d/Fonts/Nippo/Nippo-Medium.otf", "art/2d/Fonts/Nippo/Nippo-Regular.otf"})
    {
        const std::string resolved = ResolveAssetPath(path);
        ASSERT_FALSE(resolved.empty()) << path;
        EXPECT_GT(std::filesystem::file_size(resolved), 10000u) << path;
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(resolved).parent_path() / "LICENSE-DejaVu.txt")) << path;
    }
}

TEST_F(MenuAssetsTest, MenuShadersCompileWithTheSpriteVertexShader)
{
    for (const char* pixel : {"art/shaders/MainMenu", "art/shaders/Glitch"})
    {
        SpriteShader shader;
        EXPECT_TRUE(shader.Init("shaders/instanced_sprite_shader_VS", pixel)) << pixel;
    }
}

TEST_F(MenuAssetsTest, TheIntroFilmPlaysFromTheGamesWorkingDirectory)
{
    // The game runs in its executable's folder; the film lies below it.
    Video video;
    ASSERT_TRUE(video.Init((myBin.string() + IntroCutsceneState::VIDEO_PATH).c_str(), false));
    EXPECT_EQ(video.GetVideoWidth(), 1280u);
    EXPECT_EQ(video.GetVideoHeight(), 720u);
    video.Play(false);
    for (int i = 0; i < 20; ++i)
        video.Update(1.0f / 30.0f);
    EXPECT_NE(video.GetTexture(), nullptr);
    EXPECT_EQ(video.GetStatus(), 1);

    // Started from another folder, the film is still found beside the executable; a film in the
    // working directory comes first, and with neither the working directory's path is named.
    const std::string bin = myBin.string();
    const std::string elsewhere = (myBin / "settings").string();
    EXPECT_EQ(IntroCutsceneState::FindVideoPath(bin, elsewhere), bin + IntroCutsceneState::VIDEO_PATH);
    EXPECT_EQ(IntroCutsceneState::FindVideoPath(elsewhere, bin), bin + IntroCutsceneState::VIDEO_PATH);
    EXPECT_EQ(IntroCutsceneState::FindVideoPath(elsewhere, elsewhere), elsewhere + IntroCutsceneState::VIDEO_PATH);
    EXPECT_EQ(IntroCutsceneState::FindVideoPath(elsewhere, ""), elsewhere + IntroCutsceneState::VIDEO_PATH);
}

TEST_F(MenuAssetsTest, TheSixLevelsAndTheirObjectFoldersExist)
{
    for (int i = 1; i <= 6; ++i)
    {
        const std::filesystem::path scene = Settings::GetGameAssetsPath() / ("scenes/game_scenes/level" + std::to_string(i) + ".qls");
        EXPECT_TRUE(std::filesystem::is_regular_file(scene)) << scene;
        EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(scene).replace_extension(".leveldata"))) << scene;
    }
}
