#pragma once
// A textured sprite placed relative to the render size: centred pivot, white, its texture's size.
#include "drawers/SpriteDrawer.h"

namespace Qel
{
class Texture;
class SpriteShader;
}

class UiSprite
{
public:
    // Loads the texture (sRGB, as every menu texture; one level: menus draw their pictures at about
    // their own size or smaller) and places the sprite at the render size
    // times (aRelativeX, aRelativeY), at the texture's size. Without an engine there is no
    // texture and the sprite draws nothing.
    void Init(const char* aTexturePath, float aRelativeX, float aRelativeY);
    // Starts decoding a texture of a later Init on a worker thread.
    static void Prefetch(const char* aTexturePath);
    void CenterOnScreen();
    void Scale(float aFactor);
    void SetSize(float aWidth, float aHeight);
    void SetPosition(float aX, float aY);
    void SetColor(const Qel::Color& aColor) { myData.myColor = aColor; }
    // Draws in a batch of its own with the default sprite shader (or aShader), in screen space.
    void Render() const { Render(nullptr); }
    void Render(Qel::SpriteShader* aShader) const;
    // The texture's own size in pixels (0 x 0 without a texture).
    Qel::Vector2f GetTextureSize() const;

    Qel::Sprite2DInstanceData& GetData() { return myData; }
    const Qel::Sprite2DInstanceData& GetData() const { return myData; }
    Qel::Texture* GetTexture() const { return myTexture; }

private:
    Qel::Sprite2DInstanceData myData = MakeCentredSprite();

    static Qel::Sprite2DInstanceData MakeCentredSprite()
    {
        Qel::Sprite2DInstanceData data;
        data.myPivot = {0.5f, 0.5f};
        return data;
    }
    Qel::Texture* myTexture = nullptr;
};
