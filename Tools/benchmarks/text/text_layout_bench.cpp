// Text layout hot paths: measuring (menus measure their labels every frame), building a text's
// sprite instances, and building a font's atlas. CPU only: the sprite drawer here sends nothing.
#include "drawers/SpriteDrawer.h"
#include "graphics/GraphicsStateStack.h"
#include "text/GlyphAtlas.h"
#include "text/Text.h"
#include "text/TextLayout.h"
#include "text/TextService.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

using namespace Qel;

namespace
{
const char* const FONT = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class NullSpriteDrawer : public SpriteDrawer
{
public:
    NullSpriteDrawer() { InitWithoutDevice(); }
    u64 mySeen = 0;

protected:
    bool BindBatch(const SpriteSharedData&) override { return true; }
    void SubmitInstances(const SpriteInstance* aInstances, u64 aCount) override
    {
        benchmark::DoNotOptimize(aInstances);
        mySeen += aCount;
    }
};

struct FreeType
{
    FT_Library myLibrary = nullptr;
    FreeType() { FT_Init_FreeType(&myLibrary); }
    ~FreeType() { FT_Done_FreeType(myLibrary); }
};

FT_Library Library()
{
    static FreeType library;
    return library.myLibrary;
}

const std::shared_ptr<InternalTextAndFontData>& Font()
{
    static const std::shared_ptr<InternalTextAndFontData> font = [] {
        auto data = std::make_shared<InternalTextAndFontData>();
        std::string error;
        if (!BuildFontAtlas(Library(), FONT, 36, 0, *data, error))
            std::fprintf(stderr, "%s: %s\n", FONT, error.c_str());
        data->myTexture = std::make_unique<Texture>();
        return data;
    }();
    return font;
}

std::string MakeText(size_t aLength)
{
    const std::string words = "Batteries collected: 42  Lives: 3  Score: 001250\n";
    std::string text;
    while (text.size() < aLength)
        text += words;
    text.resize(aLength);
    return text;
}

void BM_MeasureText(benchmark::State& aState)
{
    const std::string text = MakeText(static_cast<size_t>(aState.range(0)));
    const InternalTextAndFontData* font = Font().get();
    for (auto _ : aState)
    {
        benchmark::DoNotOptimize(MeasureTextWidth(font, text, 0.75f));
        benchmark::DoNotOptimize(MeasureTextHeight(font, text, 0.75f));
    }
    aState.SetItemsProcessed(aState.iterations() * aState.range(0));
}
BENCHMARK(BM_MeasureText)->Arg(12)->Arg(64)->Arg(600);

void BM_BuildTextQuads(benchmark::State& aState)
{
    TextService service;
    NullSpriteDrawer drawer;
    GraphicsStateStack stack;
    service.SetRenderer(&drawer, &stack);
    Text text;
    text.SetFontData(Font());
    text.SetText(MakeText(static_cast<size_t>(aState.range(0))));
    text.SetScale(0.75f);
    text.SetRotation(aState.range(1) ? 0.3f : 0.0f);
    for (auto _ : aState)
        benchmark::DoNotOptimize(service.BuildTextQuads(text, nullptr));
    aState.SetItemsProcessed(static_cast<i64>(drawer.mySeen));
}
BENCHMARK(BM_BuildTextQuads)->Args({12, 0})->Args({64, 0})->Args({64, 1})->Args({2048, 0});

void BM_BuildFontAtlas(benchmark::State& aState)
{
    const u32 size = static_cast<u32>(aState.range(0));
    const u8 outline = static_cast<u8>(aState.range(1));
    for (auto _ : aState)
    {
        InternalTextAndFontData data;
        std::string error;
        benchmark::DoNotOptimize(BuildFontAtlas(Library(), FONT, size, outline, data, error));
    }
}
BENCHMARK(BM_BuildFontAtlas)->Args({18, 0})->Args({36, 0})->Args({36, 2})->Args({60, 0})->Unit(benchmark::kMillisecond);
}

BENCHMARK_MAIN();
