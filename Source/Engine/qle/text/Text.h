#pragma once
// One string drawn in one font: position (of the first line's baseline origin, y up), scale,
// rotation in radians about the text's middle, and colour. One byte per character (Latin-1).
#include "core/Types.h"
#include "math/Color.h"
#include "math/Vector.h"
#include "text/FontData.h"

#include <memory>
#include <string>
#include <utility>

namespace Qel
{
class TextService;
class SpriteShader;

class Text
{
public:
    // No font: draws nothing and measures 0.
    Text();
    // Loads the font through the engine's text service; with no engine (or no path, or size
    // FONT_SIZE_NONE) the text has no font.
    Text(const char* aFontPath, u32 aSize, u8 aOutlineWidth = 0);
    // Same through the given service (null: no font).
    Text(TextService* aService, const char* aFontPath, u32 aSize, u8 aOutlineWidth = 0);

    void SetText(const std::string& aText) { myText = aText; }
    const std::string& GetText() const { return myText; }
    void SetPosition(const Vector2f& aPosition) { myPosition = aPosition; }
    const Vector2f& GetPosition() const { return myPosition; }
    void SetScale(float aScale) { myScale = aScale; }
    float GetScale() const { return myScale; }
    void SetRotation(float aRadians) { myRotation = aRadians; }
    float GetRotation() const { return myRotation; }
    void SetColor(const Color& aColor) { myColor = aColor; }
    const Color& GetColor() const { return myColor; }

    // Draws with the default sprite shader; nothing without a service or a font.
    void Render();
    void Render(SpriteShader* aCustomShader);
    float GetWidth() const;
    float GetHeight() const;

    const std::shared_ptr<InternalTextAndFontData>& GetFontData() const { return myFontData; }
    // Draws in a font already loaded (through any service); null leaves the text without a font.
    void SetFontData(std::shared_ptr<InternalTextAndFontData> aFontData) { myFontData = std::move(aFontData); }
    TextService* GetService() const { return myService; }

private:
    TextService* myService = nullptr;
    std::shared_ptr<InternalTextAndFontData> myFontData;
    std::string myText;
    Vector2f myPosition;
    float myScale = 1.0f;
    float myRotation = 0.0f;
    Color myColor{1.0f, 1.0f, 1.0f, 1.0f};
};
}
