#include "GraphicsTestContext.h"

#include "TestSupport.h"
#include "graphics/GL.h"
#include "settings/Settings.h"

namespace QelTest
{
std::filesystem::path RepositoryCookedAssetsFolder()
{
    // QEL_TEST_DATA is <repository>/Tests/data.
    return (TestDataFolder() / ".." / ".." / "Assets" / "Cooked").lexically_normal();
}

void GraphicsTest::SetUp()
{
    GLTest::SetUp();
    if (HasFatalFailure())
        return;
    mySavedCookedRoot = Qel::Settings::GetCookedAssetsPath();
    Qel::Settings::GetCookedAssetsPath() = RepositoryCookedAssetsFolder();
    myTextures = std::make_unique<Qel::TextureManager>();
    myStates = std::make_unique<Qel::GraphicsStateStack>();
    ASSERT_TRUE(myStates->Init(myTextures.get()));
    ClearAndBeginFrame(0.0f, 0.0f, 0.0f, 1.0f);
}

void GraphicsTest::TearDown()
{
    // Every test leaves GL without a recorded error.
    if (myDevice && Qel::DX11::IsContextAlive())
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "GL error left by the test";
    myStates.reset();
    myTextures.reset();
    Qel::Settings::GetCookedAssetsPath() = mySavedCookedRoot;
    GLTest::TearDown();
}

void GraphicsTest::ClearAndBeginFrame(float aR, float aG, float aB, float aA)
{
    const float color[4] = {aR, aG, aB, aA};
    myDevice->Clear(color);
    myStates->BeginFrame(0.0f, 0.0f);
    Invalidate();
}
}
