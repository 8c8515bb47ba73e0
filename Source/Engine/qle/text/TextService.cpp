#include "text/TextService.h"

#include "drawers/SpriteDrawer.h"
#include "engine/Engine.h"
#include "graphics/GraphicsEngine.h"
#include "graphics/GraphicsStateStack.h"
#include "loaders/ContentPrefetch.h"
#include "settings/Settings.h"
#include "stringRegistry/Fnv1a.h"
#include "text/GlyphAtlas.h"
#include "text/Text.h"
#include "text/TextLayout.h"

#include <bit>
#include <cmath>
#include <cstdio>

namespace Qel
{
// The atlas words go to the GPU as bytes R, G, B, A.
static_assert(std::endian::native == std::endian::little);

size_t TextService::KeyHash::operator()(const std::string& aKey) const { return static_cast<size_t>(Fnv1a64(aKey)); }

TextService::TextService() = default;

TextService::~TextService()
{
    // Font data holds no FreeType object (faces close once their atlas is built), so texts that
    // outlive the service keep drawing from their atlases.
    if (myLibrary)
        FT_Done_FreeType(myLibrary);
    myLibrary = nullptr;
    myFonts.clear();
}

bool TextService::Init()
{
    if (myLibrary)
        return true;
    if (const FT_Error error = FT_Init_FreeType(&myLibrary))
    {
        myLibrary = nullptr;
        std::printf("Text: the font library could not start (FreeType error %d); no text will draw.\n", error);
        return false;
    }
    return true;
}

std::string TextService::MakeFontKey(const std::string& aPath, u32 aSize, u8 aOutlineWidth)
{
    return aPath + "-" + std::to_string(aSize) + "-" + std::to_string(static_cast<u32>(aOutlineWidth));
}

void TextService::ReportFailure(const std::string& aPath, const std::string& aCause)
{
    // Said once per file: many texts share a font, and a broken one would otherwise flood the output.
    if (myReportedFiles.insert(aPath).second)
        std::printf("Text: cannot load font \"%s\": %s; texts in it draw nothing.\n", aPath.c_str(), aCause.c_str());
}

std::shared_ptr<InternalTextAndFontData> TextService::LoadFont(const std::string& aPath, u32 aSize, u8 aOutlineWidth)
{
    if (aSize == FONT_SIZE_NONE)
        return {};
    const std::string key = MakeFontKey(aPath, aSize, aOutlineWidth);
    const auto cached = myFonts.find(key);
    if (cached != myFonts.end())
    {
        if (std::shared_ptr<InternalTextAndFontData> live = cached->second.lock())
            return live;
    }

    const std::string resolved = ResolveAssetPath(aPath);
    if (resolved.empty())
    {
        ReportFailure(aPath, "the file is not under any asset folder");
        return {};
    }
    if (!myLibrary)
    {
        ReportFailure(aPath, "the font library is not started");
        return {};
    }

    auto data = std::make_shared<InternalTextAndFontData>();
    std::string error;
    if (std::unique_ptr<PrefetchedFont> prefetched = ContentPrefetch::Get().TakeFont(resolved, aSize, aOutlineWidth))
    {
        if (!prefetched->myBuilt)
        {
            ReportFailure(resolved, prefetched->myError);
            return {};
        }
        *data = std::move(prefetched->myData);
    }
    else if (!BuildFontAtlas(myLibrary, resolved, aSize, aOutlineWidth, *data, error))
    {
        ReportFailure(resolved, error);
        return {};
    }
    data->myTexture = Texture::CreateFromRGBA(data->myAtlasWidth, data->myAtlasHeight,
                                              reinterpret_cast<const u8*>(data->myAtlasPixels.data()),
                                              data->myAtlasWidth * 4, false, true);
    if (!data->myTexture)
    {
        ReportFailure(resolved, "the atlas texture could not be created");
        return {};
    }
    // The texture holds the atlas from now on; 4 MiB a font is not kept twice.
    std::vector<u32>().swap(data->myAtlasPixels);
    myFonts[key] = data;
    return data;
}

void TextService::Prefetch(const std::string& aPath, u32 aSize, u8 aOutlineWidth)
{
    if (aSize == FONT_SIZE_NONE)
        return;
    const std::string resolved = ResolveAssetPath(aPath);
    if (!resolved.empty())
        ContentPrefetch::Get().PrefetchFont(resolved, aSize, aOutlineWidth);
}

bool TextService::BuildTextQuads(const Text& aText, SpriteShader* aCustomShader)
{
    const InternalTextAndFontData* font = aText.GetFontData().get();
    if (!font || !font->myTexture)
        return false;
    SpriteDrawer* drawer = mySpriteDrawer;
    GraphicsStateStack* stack = myStateStack;
    if (!drawer || !stack)
    {
        const Engine* engine = Engine::GetInstance();
        const GraphicsEngine* graphics = engine ? engine->GetGraphicsEngine() : nullptr;
        if (!drawer && graphics)
            drawer = graphics->GetSpriteDrawer();
        if (!stack && graphics)
            stack = graphics->GetGraphicsStateStack();
    }
    if (!drawer || !stack)
        return false;

    const float scale = aText.GetScale();
    const float rotation = aText.GetRotation();
    const Vector2f position = aText.GetPosition();
    const Color color = aText.GetColor();
    // A rotated text turns about the middle of its inked box.
    float centreX = 0.0f, centreY = 0.0f, cosine = 1.0f, sine = 0.0f;
    if (rotation != 0.0f)
    {
        const TextBounds bounds = MeasureTextBounds(*font, aText.GetText(), scale);
        centreX = (bounds.myLeft + bounds.myRight) * 0.5f;
        centreY = (bounds.myTop + bounds.myBottom) * 0.5f;
        cosine = std::cos(rotation);
        sine = std::sin(rotation);
    }

    stack->Push();
    // Small sizes stay crisp with point sampling.
    stack->SetSamplerState(font->myFontSize >= 18 ? SAMPLER_FILTER_BILINEAR : SAMPLER_FILTER_POINT,
                           SAMPLER_ADDRESS_CLAMP);
    {
        SpriteSharedData shared;
        shared.myColorTexture = font->myTexture.get();
        shared.myCustomShader = aCustomShader;
        SpriteBatchScope batch = drawer->BeginBatch(shared);

        // Records go to the batch a chunk at a time, from the stack: nothing allocates per frame.
        constexpr size_t CHUNK = 64;
        Sprite2DInstanceData records[CHUNK];
        size_t count = 0;
        ForEachTextQuad(*font, aText.GetText(), scale, [&](const TextQuad& aQuad) {
            Sprite2DInstanceData& record = records[count];
            float x = aQuad.myX;
            float y = aQuad.myY;
            if (rotation != 0.0f)
            {
                const float dx = x - centreX, dy = y - centreY;
                x = dx * cosine - dy * sine + centreX;
                y = dy * cosine + dx * sine + centreY;
            }
            const FontGlyph& glyph = *aQuad.myGlyph;
            record.myPosition = {x + position.x, y + position.y};
            record.myPivot = {0.0f, 0.0f};
            record.mySize = {aQuad.myWidth, aQuad.myHeight};
            record.myScale = {1.0f, 1.0f};
            record.myUVRect = {glyph.myUMin, glyph.myVMin, glyph.myUMax, glyph.myVMax};
            record.myColor = color;
            record.myExtra = {};
            record.myRotation = rotation;
            record.mySkip = false;
            if (++count == CHUNK)
            {
                batch.Draw(records, count);
                count = 0;
            }
        });
        if (count > 0)
            batch.Draw(records, count);
        batch.End();
    }
    stack->Pop();
    return true;
}

float TextService::GetTextWidth(const Text& aText) const
{
    return MeasureTextWidth(aText.GetFontData().get(), aText.GetText(), aText.GetScale());
}

float TextService::GetTextHeight(const Text& aText) const
{
    return MeasureTextHeight(aText.GetFontData().get(), aText.GetText(), aText.GetScale());
}

void TextService::SetRenderer(SpriteDrawer* aSpriteDrawer, GraphicsStateStack* aStateStack)
{
    mySpriteDrawer = aSpriteDrawer;
    myStateStack = aStateStack;
}
}
