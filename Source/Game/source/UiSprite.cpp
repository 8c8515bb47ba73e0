#include "UiSprite.h"

#include "State.h"
#include "engine/Engine.h"
#include "graphics/GraphicsEngine.h"
#include "graphics/GraphicsStateStack.h"
#include "texture/TextureManager.h"

void UiSprite::Init(const char* aTexturePath, float aRelativeX, float aRelativeY)
{
    const auto [width, height] = GetRenderSizeF();
    myData.myPosition = {width * aRelativeX, height * aRelativeY};
    myTexture = nullptr;
    const Qel::Engine* engine = Qel::Engine::GetInstance();
    if (!engine || !engine->GetTextureManager())
        return;
    myTexture = engine->GetTextureManager()->GetScreenTexture(aTexturePath, Qel::TEXTURE_COLOR_MODE_FORCE_SRGB);
    myData.mySize = {static_cast<float>(myTexture->GetWidth()), static_cast<float>(myTexture->GetHeight())};
}

void UiSprite::Prefetch(const char* aTexturePath)
{
    Qel::TextureManager::Prefetch(aTexturePath, Qel::TEXTURE_COLOR_MODE_FORCE_SRGB);
}

void UiSprite::CenterOnScreen()
{
    const auto [width, height] = GetRenderSizeF();
    myData.myPosition = {width * 0.5f, height * 0.5f};
}

void UiSprite::Scale(float aFactor)
{
    myData.mySize.x *= aFactor;
    myData.mySize.y *= aFactor;
}

void UiSprite::SetSize(float aWidth, float aHeight) { myData.mySize = {aWidth, aHeight}; }

void UiSprite::SetPosition(float aX, float aY) { myData.myPosition = {aX, aY}; }

Qel::Vector2f UiSprite::GetTextureSize() const
{
    if (!myTexture)
        return {0.0f, 0.0f};
    return {static_cast<float>(myTexture->GetWidth()), static_cast<float>(myTexture->GetHeight())};
}

void UiSprite::Render(Qel::SpriteShader* aShader) const
{
    const Qel::Engine* engine = Qel::Engine::GetInstance();
    if (!engine || !myTexture || !engine->GetGraphicsEngine())
        return;
    Qel::SpriteDrawer* drawer = engine->GetGraphicsEngine()->GetSpriteDrawer();
    if (!drawer)
        return;
    Qel::SpriteSharedData shared;
    shared.myColorTexture = myTexture;
    shared.myCustomShader = aShader;
    Qel::SpriteBatchScope batch = drawer->BeginBatch(shared);
    batch.Draw(myData);
}
