// Every asset the engine names by path exists in the built tree and loads.
#include "GLTestContext.h"
#include "settings/Settings.h"
#include "texture/Texture.h"
#include "texture/TextureManager.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace Qel;

namespace
{
class ContentTreeTest : public QelTest::GLTest
{
protected:
    void SetUp() override
    {
        QelTest::GLTest::SetUp();
        const char* bin = std::getenv("QEL_BIN_DIR");
        ASSERT_NE(bin, nullptr);
        EngineCreateParameters parameters;
        ASSERT_TRUE(Settings::LoadSettingsFrom(bin, "Game.json", parameters));
        Settings::GetExecutableFolder() = bin;
    }
};
}

TEST_F(ContentTreeTest, EngineTexturesExistAndLoad)
{
    TextureManager textures;
    textures.Init();
    const char* const paths[] = {"Textures/T_Default_c.dds", "Textures/T_Default_n.dds", "Textures/T_Default_m.dds",
                                 "Textures/T_Default_fx.dds", "Textures/whiteCubeMap.dds",
                                 "Textures/horizonCubeMap.dds"};
    for (const char* path : paths)
    {
        EXPECT_FALSE(ResolveAssetPath(path).empty()) << path;
        const Texture* texture = textures.GetTexture(path);
        ASSERT_NE(texture, nullptr) << path;
        EXPECT_FALSE(texture->IsFailed()) << path;
    }
}

TEST(ContentTree, FontsExistWithTheirLicence)
{
    const char* bin = std::getenv("QEL_BIN_DIR");
    ASSERT_NE(bin, nullptr);
    EngineCreateParameters parameters;
    ASSERT_TRUE(Settings::LoadSettingsFrom(bin, "Game.json", parameters));
    Settings::GetExecutableFolder() = bin;
    for (const char* path : {"Text/arial.ttf", "art/2d/Fonts/Nippo/Nippo-Medium.otf", "art/2d/Fonts/Nippo/Nippo-Regular.otf"})
    {
        const std::string resolved = ResolveAssetPath(path);
        ASSERT_FALSE(resolved.empty()) << path;
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(resolved).parent_path() / "LICENSE-DejaVu.txt")) << path;
    }
}
