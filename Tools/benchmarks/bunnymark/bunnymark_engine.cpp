// Bunnymark through the engine: its frame (messages, clear, state reset, present) and its 2D
// sprite path (one batch of Sprite2DInstanceData records a frame, the default sprite shader).
// See BunnyScene.h for the options and the line it prints.
#include "BunnyScene.h"

#include "drawers/SpriteDrawer.h"
#include "engine/Engine.h"
#include "graphics/DX11.h"
#include "graphics/GL.h"
#include "graphics/GraphicsEngine.h"
#include "graphics/RenderTarget.h"
#include "settings/Settings.h"
#include "texture/Texture.h"

#include <filesystem>
#include <memory>

using namespace Qel;

int main(int aArgc, char** aArgv)
{
    const Bunnymark::Options options = Bunnymark::ParseOptions(aArgc, aArgv);
    EngineCreateParameters& parameters = Settings::GetEngineCreateParameters();
    // The built game's asset roots: this program lives in build/benchmarks, the game in build/bin.
    const std::filesystem::path bin = std::filesystem::canonical("/proc/self/exe").parent_path() / ".." / "bin";
    if (!Settings::LoadSettingsFrom(bin, "Game.json", parameters))
    {
        std::fprintf(stderr, "no built game settings in %s\n", bin.c_str());
        return 1;
    }
    Settings::GetExecutableFolder() = bin;
    parameters.myWindowWidth = parameters.myRenderWidth = Bunnymark::WIDTH;
    parameters.myWindowHeight = parameters.myRenderHeight = Bunnymark::HEIGHT;
    parameters.myTitle = "bunnymark engine";
    parameters.myEnableVsync = 0;
    parameters.myStartInFullscreen = 0;
    parameters.myStartMaximized = 0;
    parameters.myDebugFeatures = 0;
    for (int i = 0; i < 4; ++i)
        parameters.myClearColor[i] = Bunnymark::CLEAR_COLOR[i];
    if (!Engine::Start())
    {
        std::fprintf(stderr, "the engine could not start\n");
        return 1;
    }
    Engine* engine = Engine::GetInstance();
    SpriteDrawer* drawer = engine->GetGraphicsEngine()->GetSpriteDrawer();
    const std::vector<std::uint8_t> texels = Bunnymark::MakeBunnyTexels();
    std::unique_ptr<Texture> texture =
        Texture::CreateFromRGBA(Bunnymark::BUNNY_SIZE, Bunnymark::BUNNY_SIZE, texels.data(), 0, true, false);
    if (!drawer || !drawer->IsLoaded() || !texture)
    {
        std::fprintf(stderr, "no sprite drawer or bunny texture\n");
        Engine::Shutdown();
        return 1;
    }

    std::vector<Bunnymark::Bunny> bunnies = Bunnymark::MakeBunnies(options.mySprites);
    std::vector<Sprite2DInstanceData> sprites(bunnies.size());
    for (size_t i = 0; i < bunnies.size(); ++i)
    {
        sprites[i].mySize = {static_cast<float>(Bunnymark::BUNNY_SIZE), static_cast<float>(Bunnymark::BUNNY_SIZE)};
        sprites[i].myColor = Color(bunnies[i].r / 255.0f, bunnies[i].g / 255.0f, bunnies[i].b / 255.0f, 1.0f);
    }
    SpriteSharedData shared;
    shared.myColorTexture = texture.get();

    Bunnymark::Meter meter;
    const int totalFrames = options.myWarmup + options.myFrames;
    for (int frame = 0; frame < totalFrames; ++frame)
    {
        if (frame == options.myWarmup)
            meter.Start();
        if (!engine->BeginFrame())
            break;
        Bunnymark::Step(bunnies);
        for (size_t i = 0; i < bunnies.size(); ++i)
            sprites[i].myPosition = {bunnies[i].x, bunnies[i].y};
        {
            SpriteBatchScope batch = drawer->BeginBatch(shared);
            batch.Draw(sprites);
        }
        engine->EndFrame();
    }
    meter.Stop();
    meter.Print("engine", options.mySprites, options.myFrames);

    int status = 0;
    if (!options.myCapture.empty())
    {
        std::vector<std::uint8_t> pixels(static_cast<size_t>(Bunnymark::WIDTH * Bunnymark::HEIGHT * 4));
        glBindFramebuffer(GL_READ_FRAMEBUFFER, DX11::GetActiveRenderTarget()->GetFramebuffer(nullptr));
        glReadPixels(0, 0, Bunnymark::WIDTH, Bunnymark::HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        status = Bunnymark::WriteCapture(options.myCapture, pixels) ? 0 : 1;
    }
    texture.reset();
    Engine::Shutdown();
    return status;
}
