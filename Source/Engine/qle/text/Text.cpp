#include "text/Text.h"

#include "engine/Engine.h"
#include "text/TextLayout.h"
#include "text/TextService.h"

namespace Qel
{
namespace
{
// A text may be built before the engine exists (a global); it then simply has no font.
TextService* EngineTextService()
{
    Engine* engine = Engine::GetInstance();
    return engine ? engine->GetTextService() : nullptr;
}
}

Text::Text() : myService(EngineTextService()) {}

Text::Text(const char* aFontPath, u32 aSize, u8 aOutlineWidth)
    : Text(EngineTextService(), aFontPath, aSize, aOutlineWidth)
{
}

Text::Text(TextService* aService, const char* aFontPath, u32 aSize, u8 aOutlineWidth) : myService(aService)
{
    if (myService && aFontPath && aSize != FONT_SIZE_NONE)
        myFontData = myService->LoadFont(aFontPath, aSize, aOutlineWidth);
}

void Text::Render() { Render(nullptr); }

void Text::Render(SpriteShader* aCustomShader)
{
    if (myService)
        myService->BuildTextQuads(*this, aCustomShader);
}

float Text::GetWidth() const { return MeasureTextWidth(myFontData.get(), myText, myScale); }

float Text::GetHeight() const { return MeasureTextHeight(myFontData.get(), myText, myScale); }
}
