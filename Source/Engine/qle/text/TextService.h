#pragma once
// Fonts through FreeType: one glyph atlas per font file, size and outline width, shared by every
// text that uses it while any of them lives. Texts draw as one sprite batch, one quad a character.
// Main (render) thread only.
#include "core/Types.h"
#include "text/FontData.h"

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>

// FreeType's own handle type, without its headers.
typedef struct FT_LibraryRec_* FT_Library;

namespace Qel
{
class Text;
class SpriteShader;
class SpriteDrawer;
class GraphicsStateStack;

class TextService
{
public:
    TextService();
    ~TextService();
    TextService(const TextService&) = delete;
    TextService& operator=(const TextService&) = delete;

    // Starts the font library. False (and texts load nothing) when FreeType cannot start.
    bool Init();

    // Empty for size FONT_SIZE_NONE, or when the file is missing or not a font (said once per file).
    std::shared_ptr<InternalTextAndFontData> LoadFont(const std::string& aPath, u32 aSize, u8 aOutlineWidth);

    // Starts building a font's atlas on a worker thread (ContentPrefetch), for a later LoadFont
    // with the same arguments. Any thread.
    static void Prefetch(const std::string& aPath, u32 aSize, u8 aOutlineWidth);

    // Draws the text. False when it has no font (nothing drawn) or nowhere to draw.
    bool BuildTextQuads(const Text& aText, SpriteShader* aCustomShader);
    float GetTextWidth(const Text& aText) const;
    float GetTextHeight(const Text& aText) const;

    // Where texts draw; the engine's graphics engine unless set (tools and tests set their own).
    void SetRenderer(SpriteDrawer* aSpriteDrawer, GraphicsStateStack* aStateStack);

    // The cache key of a font: path, size and outline width.
    static std::string MakeFontKey(const std::string& aPath, u32 aSize, u8 aOutlineWidth);

private:
    struct KeyHash
    {
        size_t operator()(const std::string& aKey) const;
    };

    void ReportFailure(const std::string& aPath, const std::string& aCause);

    FT_Library myLibrary = nullptr;
    std::unordered_map<std::string, std::weak_ptr<InternalTextAndFontData>, KeyHash> myFonts;
    std::unordered_set<std::string> myReportedFiles;
    SpriteDrawer* mySpriteDrawer = nullptr;
    GraphicsStateStack* myStateStack = nullptr;
};
}
