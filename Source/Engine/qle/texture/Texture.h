#pragma once
// A loaded texture as the rest of the engine sees it. The GL object behind it (the "view") is
// shared: a hot reload swaps the view inside the same Texture, so a Texture* handed out stays valid
// for the whole run and a draw that captured the old view keeps it alive until it lets go.
#include "core/Types.h"

#include <memory>
#include <string>
#include <utility>

namespace Qel
{
// Colour modes of a texture request.
inline constexpr u32 TEXTURE_COLOR_MODE_AS_STORED = 0;
inline constexpr u32 TEXTURE_COLOR_MODE_FORCE_SRGB = 1;
inline constexpr u32 TEXTURE_COLOR_MODE_IGNORE_SRGB = 2;

namespace impl
{
// One GL texture object, deleted with its last holder (no GL call once the context is gone).
class GLTexture
{
public:
    GLTexture(u32 aName, u32 aTarget, u32 aWidth, u32 aHeight, u32 aDepth, u32 aLevels, u32 aInternalFormat);
    ~GLTexture();
    GLTexture(const GLTexture&) = delete;
    GLTexture& operator=(const GLTexture&) = delete;

    u32 GetName() const { return myName; }
    // GL_TEXTURE_2D, GL_TEXTURE_CUBE_MAP, GL_TEXTURE_2D_ARRAY, GL_TEXTURE_3D, ...
    u32 GetTarget() const { return myTarget; }
    u32 GetWidth() const { return myWidth; }
    u32 GetHeight() const { return myHeight; }
    // Depth of a 3D texture, layers of an array (faces count for cube arrays), else 1.
    u32 GetDepth() const { return myDepth; }
    u32 GetLevels() const { return myLevels; }
    u32 GetInternalFormat() const { return myInternalFormat; }

private:
    u32 myName = 0;
    u32 myTarget = 0;
    u32 myWidth = 0;
    u32 myHeight = 0;
    u32 myDepth = 1;
    u32 myLevels = 1;
    u32 myInternalFormat = 0;
};
}

// What the shaders see of a texture (Direct3D's shader-resource view). Null binds nothing.
using ShaderResourceView = std::shared_ptr<const impl::GLTexture>;

class Texture
{
public:
    Texture() = default;
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    const ShaderResourceView& GetShaderResourceView() const { return myView; }
    // GL name and target to bind; 0 and GL_TEXTURE_2D without a view.
    u32 GetGLName() const;
    u32 GetGLTarget() const;

    u32 GetColorMode() const { return myColorMode; }
    // The resolved file path; "WhiteSquare" for the white texture; the requested path for a placeholder.
    const std::string& GetName() const { return myName; }
    // The requested asset path.
    const std::string& GetPath() const { return myPath; }
    // Width and height divided by the render height when the texture was loaded.
    std::pair<float, float> GetRelativeSize() const { return {myRelativeWidth, myRelativeHeight}; }
    u32 GetWidth() const { return myWidth; }
    u32 GetHeight() const { return myHeight; }
    // True for the placeholder of a texture that could not be loaded.
    bool IsFailed() const { return myFailed; }
    // False for a picture loaded with one level (TextureManager::GetScreenTexture).
    bool HasMipChain() const { return myMipChain; }

    // Pixel size of the texture behind a view; (0, 0) without one.
    static std::pair<u32, u32> CalculateTextureSize(const ShaderResourceView& aView);

    // A 2D texture of one level from 8-bit RGBA rows, top row first, aRowPitch bytes apart
    // (0: aWidth * 4). sRGB unless aSrgb is false. With aGenerateMips, a full mip chain made from
    // those pixels (font atlases). Null when the size is 0 or too large, or the pixels are null.
    // Render thread only. Used by the Targa path, the video player and the text service.
    static std::unique_ptr<Texture> CreateFromRGBA(u32 aWidth, u32 aHeight, const u8* aPixels,
                                                   u32 aRowPitch = 0, bool aSrgb = true,
                                                   bool aGenerateMips = false);
    // Replaces all pixels of a texture made by CreateFromRGBA (same size and layout). False when
    // there is no view or aPixels is null.
    bool UpdateRGBA(const u8* aPixels, u32 aRowPitch = 0);
    // Replaces only the top-left aWidth x aHeight pixels (a video frame inside a larger texture).
    // False when the region does not fit.
    bool UpdateRGBA(const u8* aPixels, u32 aRowPitch, u32 aWidth, u32 aHeight);

private:
    friend class TextureManager;

    ShaderResourceView myView;
    u32 myColorMode = TEXTURE_COLOR_MODE_AS_STORED;
    std::string myName = "undefined";
    std::string myPath;
    float myRelativeWidth = 0.0f;
    float myRelativeHeight = 0.0f;
    u32 myWidth = 0;
    u32 myHeight = 0;
    bool myFailed = false;
    bool myMipChain = true;
};
}
