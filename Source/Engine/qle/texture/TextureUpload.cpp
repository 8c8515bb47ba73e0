#include "texture/TextureUpload.h"

#include "graphics/DX11.h"
#include "graphics/GL.h"

#include <cstring>

namespace Qel::impl
{
GLTexture::GLTexture(u32 aName, u32 aTarget, u32 aWidth, u32 aHeight, u32 aDepth, u32 aLevels, u32 aInternalFormat)
    : myName(aName), myTarget(aTarget), myWidth(aWidth), myHeight(aHeight), myDepth(aDepth), myLevels(aLevels),
      myInternalFormat(aInternalFormat)
{
}

GLTexture::~GLTexture()
{
    // After the context is gone its objects went with it.
    if (myName != 0 && DX11::IsContextAlive())
    {
        const GLuint name = myName;
        glDeleteTextures(1, &name);
    }
}

namespace
{
GLenum TargetOf(TextureKind aKind)
{
    switch (aKind)
    {
    case TextureKind::Texture1D:
        return GL_TEXTURE_1D;
    case TextureKind::Texture1DArray:
        return GL_TEXTURE_1D_ARRAY;
    case TextureKind::Texture2D:
        return GL_TEXTURE_2D;
    case TextureKind::Texture2DArray:
        return GL_TEXTURE_2D_ARRAY;
    case TextureKind::Cube:
        return GL_TEXTURE_CUBE_MAP;
    case TextureKind::CubeArray:
        return GL_TEXTURE_CUBE_MAP_ARRAY;
    case TextureKind::Texture3D:
        return GL_TEXTURE_3D;
    }
    return GL_TEXTURE_2D;
}

GLenum BindingOf(GLenum aTarget)
{
    switch (aTarget)
    {
    case GL_TEXTURE_1D:
        return GL_TEXTURE_BINDING_1D;
    case GL_TEXTURE_1D_ARRAY:
        return GL_TEXTURE_BINDING_1D_ARRAY;
    case GL_TEXTURE_2D_ARRAY:
        return GL_TEXTURE_BINDING_2D_ARRAY;
    case GL_TEXTURE_CUBE_MAP:
        return GL_TEXTURE_BINDING_CUBE_MAP;
    case GL_TEXTURE_CUBE_MAP_ARRAY:
        return GL_TEXTURE_BINDING_CUBE_MAP_ARRAY;
    case GL_TEXTURE_3D:
        return GL_TEXTURE_BINDING_3D;
    default:
        return GL_TEXTURE_BINDING_2D;
    }
}

void DrainErrors()
{
    // Bounded: a lost context can report errors forever.
    for (int i = 0; i < 32 && glGetError() != GL_NO_ERROR; ++i)
    {
    }
}

HRESULT TakeError()
{
    const GLenum error = glGetError();
    DrainErrors();
    if (error == GL_NO_ERROR)
        return S_OK;
    return error == GL_OUT_OF_MEMORY ? E_OUTOFMEMORY : E_INVALIDARG;
}

bool FormatAvailable(const GLFormatInfo& aFormat)
{
    if ((aFormat.needs & GL_FORMAT_NEEDS_S3TC) && !HasGLExtension("GL_EXT_texture_compression_s3tc"))
        return false;
    if ((aFormat.needs & GL_FORMAT_NEEDS_S3TC_SRGB) && !HasGLExtension("GL_EXT_texture_sRGB") &&
        !HasGLExtension("GL_EXT_texture_compression_s3tc_srgb"))
        return false;
    if ((aFormat.needs & GL_FORMAT_NEEDS_BPTC) && !HasGLExtension("GL_ARB_texture_compression_bptc"))
    {
        GLint major = 0, minor = 0;
        glGetIntegerv(GL_MAJOR_VERSION, &major);
        glGetIntegerv(GL_MINOR_VERSION, &minor);
        if (major < 4 || (major == 4 && minor < 2))
            return false;
    }
    return true;
}

GLint GetInt(GLenum aName)
{
    GLint value = 0;
    glGetIntegerv(aName, &value);
    return value;
}

HRESULT CheckLimits(const TextureUploadDesc& aDesc)
{
    const u32 max2D = static_cast<u32>(GetInt(GL_MAX_TEXTURE_SIZE));
    const u32 maxLayers = static_cast<u32>(GetInt(GL_MAX_ARRAY_TEXTURE_LAYERS));
    switch (aDesc.kind)
    {
    case TextureKind::Texture1D:
    case TextureKind::Texture1DArray:
        if (aDesc.width > max2D || aDesc.layers > maxLayers)
            return E_INVALIDARG;
        break;
    case TextureKind::Texture2D:
    case TextureKind::Texture2DArray:
        if (aDesc.width > max2D || aDesc.height > max2D || aDesc.layers > maxLayers)
            return E_INVALIDARG;
        break;
    case TextureKind::Cube:
    case TextureKind::CubeArray:
    {
        const u32 maxCube = static_cast<u32>(GetInt(GL_MAX_CUBE_MAP_TEXTURE_SIZE));
        if (aDesc.width != aDesc.height || aDesc.width > maxCube || aDesc.layers % 6 != 0 ||
            aDesc.layers > maxLayers)
            return E_INVALIDARG;
        if (aDesc.kind == TextureKind::CubeArray && !HasGLExtension("GL_ARB_texture_cube_map_array") &&
            GetInt(GL_MAJOR_VERSION) < 4)
            return HResultFromWin32(ERROR_NOT_SUPPORTED);
        break;
    }
    case TextureKind::Texture3D:
    {
        const u32 max3D = static_cast<u32>(GetInt(GL_MAX_3D_TEXTURE_SIZE));
        if (aDesc.width > max3D || aDesc.height > max3D || aDesc.depth > max3D)
            return E_INVALIDARG;
        break;
    }
    }
    return S_OK;
}

void SetRowPitch(const GLFormatInfo& aFormat, const TextureUploadImage& aImage, u32 aBytesPerPixel)
{
    GLint rowLength = 0;
    if (!aFormat.compressed && aImage.rowPitch != 0 && aBytesPerPixel != 0 &&
        aImage.rowPitch != aImage.width * aBytesPerPixel)
        rowLength = static_cast<GLint>(aImage.rowPitch / aBytesPerPixel);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, rowLength);
}

u32 BytesPerPixelOf(const GLFormatInfo& aFormat)
{
    if (aFormat.compressed)
        return 0;
    u32 components = 4;
    switch (aFormat.format)
    {
    case GL_RED:
        components = 1;
        break;
    case GL_RG:
        components = 2;
        break;
    case GL_RGB:
        components = 3;
        break;
    default:
        components = 4;
        break;
    }
    switch (aFormat.type)
    {
    case GL_UNSIGNED_BYTE:
    case GL_BYTE:
        return components;
    case GL_UNSIGNED_SHORT:
    case GL_SHORT:
    case GL_HALF_FLOAT:
        return components * 2;
    case GL_FLOAT:
        return components * 4;
    default:
        // Packed types hold a whole pixel.
        return (aFormat.type == GL_UNSIGNED_SHORT_5_6_5 || aFormat.type == GL_UNSIGNED_SHORT_1_5_5_5_REV ||
                aFormat.type == GL_UNSIGNED_SHORT_4_4_4_4_REV)
                   ? 2
                   : 4;
    }
}

GLsizei Size(u32 aValue) { return static_cast<GLsizei>(aValue); }

void Upload1D(GLenum aTarget, const GLFormatInfo& f, GLint aLevel, const TextureUploadImage& aImage)
{
    glTexImage1D(aTarget, aLevel, static_cast<GLint>(f.internalFormat), Size(aImage.width), 0, f.format, f.type,
                 aImage.data);
}

void Upload2D(GLenum aTarget, const GLFormatInfo& f, GLint aLevel, const TextureUploadImage& aImage)
{
    if (f.compressed)
        glCompressedTexImage2D(aTarget, aLevel, f.internalFormat, Size(aImage.width), Size(aImage.height), 0,
                               static_cast<GLsizei>(aImage.size), aImage.data);
    else
        glTexImage2D(aTarget, aLevel, static_cast<GLint>(f.internalFormat), Size(aImage.width), Size(aImage.height),
                     0, f.format, f.type, aImage.data);
}
}

bool HasGLExtension(const char* aName)
{
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i)
    {
        const char* name = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(i)));
        if (name && std::strcmp(name, aName) == 0)
            return true;
    }
    return false;
}

u32 GetMaxTextureSize() { return static_cast<u32>(GetInt(GL_MAX_TEXTURE_SIZE)); }

HRESULT CreateGLTexture(const TextureUploadDesc& aDesc, ShaderResourceView& aView)
{
    aView.reset();
    if (!DX11::IsContextAlive() || !DX11::IsRenderThread())
        return E_FAIL;
    if (aDesc.width == 0 || aDesc.height == 0 || aDesc.depth == 0 || aDesc.layers == 0 || aDesc.levels == 0 ||
        aDesc.format.internalFormat == 0)
        return E_INVALIDARG;
    const u32 expectedImages = aDesc.generateMips ? 1u : aDesc.layers * aDesc.levels;
    if (!aDesc.images || aDesc.imageCount < expectedImages)
        return E_INVALIDARG;
    if (aDesc.generateMips && aDesc.kind != TextureKind::Texture2D)
        return E_INVALIDARG;
    if (!FormatAvailable(aDesc.format))
        return HResultFromWin32(ERROR_NOT_SUPPORTED);
    // Block formats live only in 2D images (arrays and cubes included).
    if (aDesc.format.compressed && (aDesc.kind == TextureKind::Texture1D ||
                                    aDesc.kind == TextureKind::Texture1DArray || aDesc.kind == TextureKind::Texture3D))
        return HResultFromWin32(ERROR_NOT_SUPPORTED);
    const HRESULT limits = CheckLimits(aDesc);
    if (Failed(limits))
        return limits;

    const GLenum target = TargetOf(aDesc.kind);
    const GLFormatInfo& f = aDesc.format;
    const u32 bytesPerPixel = BytesPerPixelOf(f);
    ScopedTextureBinding binding(target);
    DrainErrors();

    GLuint name = 0;
    glGenTextures(1, &name);
    if (name == 0)
        return E_OUTOFMEMORY;
    glBindTexture(target, name);

    u32 levels = aDesc.levels;
    if (aDesc.generateMips)
    {
        u32 largest = aDesc.width > aDesc.height ? aDesc.width : aDesc.height;
        levels = 1;
        while (largest > 1)
        {
            largest >>= 1;
            ++levels;
        }
    }
    glTexParameteri(target, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(target, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(levels - 1));
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, levels > 1 ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (f.HasSwizzle())
    {
        const GLint swizzle[4] = {static_cast<GLint>(f.swizzle[0]), static_cast<GLint>(f.swizzle[1]),
                                  static_cast<GLint>(f.swizzle[2]), static_cast<GLint>(f.swizzle[3])};
        glTexParameteriv(target, GL_TEXTURE_SWIZZLE_RGBA, swizzle);
    }

    const u32 uploadLevels = aDesc.generateMips ? 1 : aDesc.levels;
    switch (aDesc.kind)
    {
    case TextureKind::Texture1D:
        for (u32 level = 0; level < uploadLevels; ++level)
        {
            SetRowPitch(f, aDesc.images[level], bytesPerPixel);
            Upload1D(target, f, static_cast<GLint>(level), aDesc.images[level]);
        }
        break;
    case TextureKind::Texture2D:
        for (u32 level = 0; level < uploadLevels; ++level)
        {
            SetRowPitch(f, aDesc.images[level], bytesPerPixel);
            Upload2D(target, f, static_cast<GLint>(level), aDesc.images[level]);
        }
        break;
    case TextureKind::Cube:
        for (u32 face = 0; face < 6; ++face)
            for (u32 level = 0; level < uploadLevels; ++level)
            {
                const TextureUploadImage& image = aDesc.images[face * aDesc.levels + level];
                SetRowPitch(f, image, bytesPerPixel);
                Upload2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + face, f, static_cast<GLint>(level), image);
            }
        break;
    case TextureKind::Texture3D:
        for (u32 level = 0; level < uploadLevels; ++level)
        {
            const TextureUploadImage& image = aDesc.images[level];
            SetRowPitch(f, image, bytesPerPixel);
            glTexImage3D(target, static_cast<GLint>(level), static_cast<GLint>(f.internalFormat), Size(image.width),
                         Size(image.height), Size(image.depth), 0, f.format, f.type, image.data);
        }
        break;
    case TextureKind::Texture1DArray:
        // GL keeps a level's layers together; DDS keeps a layer's levels together.
        for (u32 level = 0; level < uploadLevels; ++level)
        {
            const TextureUploadImage& first = aDesc.images[level];
            glTexImage2D(target, static_cast<GLint>(level), static_cast<GLint>(f.internalFormat), Size(first.width),
                         Size(aDesc.layers), 0, f.format, f.type, nullptr);
            for (u32 layer = 0; layer < aDesc.layers; ++layer)
            {
                const TextureUploadImage& image = aDesc.images[layer * aDesc.levels + level];
                SetRowPitch(f, image, bytesPerPixel);
                glTexSubImage2D(target, static_cast<GLint>(level), 0, static_cast<GLint>(layer), Size(image.width), 1,
                                f.format, f.type, image.data);
            }
        }
        break;
    case TextureKind::Texture2DArray:
    case TextureKind::CubeArray:
        for (u32 level = 0; level < uploadLevels; ++level)
        {
            const TextureUploadImage& first = aDesc.images[level];
            if (f.compressed)
                glCompressedTexImage3D(target, static_cast<GLint>(level), f.internalFormat, Size(first.width),
                                       Size(first.height), Size(aDesc.layers), 0,
                                       static_cast<GLsizei>(first.size * aDesc.layers), nullptr);
            else
                glTexImage3D(target, static_cast<GLint>(level), static_cast<GLint>(f.internalFormat),
                             Size(first.width), Size(first.height), Size(aDesc.layers), 0, f.format, f.type, nullptr);
            for (u32 layer = 0; layer < aDesc.layers; ++layer)
            {
                const TextureUploadImage& image = aDesc.images[layer * aDesc.levels + level];
                SetRowPitch(f, image, bytesPerPixel);
                if (f.compressed)
                    glCompressedTexSubImage3D(target, static_cast<GLint>(level), 0, 0, static_cast<GLint>(layer),
                                              Size(image.width), Size(image.height), 1, f.internalFormat,
                                              static_cast<GLsizei>(image.size), image.data);
                else
                    glTexSubImage3D(target, static_cast<GLint>(level), 0, 0, static_cast<GLint>(layer),
                                    Size(image.width), Size(image.height), 1, f.format, f.type, image.data);
            }
        }
        break;
    }
    if (aDesc.generateMips)
        glGenerateMipmap(target);

    const HRESULT result = TakeError();
    if (Failed(result))
    {
        glDeleteTextures(1, &name);
        return result;
    }
    const u32 depth = aDesc.kind == TextureKind::Texture3D ? aDesc.depth : aDesc.layers;
    aView = std::make_shared<const GLTexture>(name, target, aDesc.width, aDesc.height, depth, levels,
                                              f.internalFormat);
    return S_OK;
}

bool UpdateGLTexture2D(const GLTexture& aTexture, const u8* aPixels, u32 aRowPitch, u32 aFormat, u32 aType, u32 aWidth,
                       u32 aHeight)
{
    if (!aPixels || aTexture.GetName() == 0 || aTexture.GetTarget() != GL_TEXTURE_2D || !DX11::IsContextAlive())
        return false;
    if (aWidth > aTexture.GetWidth() || aHeight > aTexture.GetHeight())
        return false;
    ScopedTextureBinding binding(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, aTexture.GetName());
    const u32 bytesPerPixel = (aType == GL_UNSIGNED_BYTE && (aFormat == GL_RGBA || aFormat == GL_BGRA)) ? 4 : 0;
    const bool customPitch = bytesPerPixel != 0 && aRowPitch != 0 && aRowPitch != aWidth * bytesPerPixel;
    if (customPitch)
        glPixelStorei(GL_UNPACK_ROW_LENGTH, static_cast<GLint>(aRowPitch / bytesPerPixel));
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, Size(aWidth), Size(aHeight), aFormat, aType, aPixels);
    return true;
}

}

namespace Qel::impl
{
ScopedTextureBinding::ScopedTextureBinding(u32 aTarget) : myTarget(aTarget)
{
    GLint previous = 0;
    glGetIntegerv(BindingOf(aTarget), &previous);
    myPrevious = static_cast<GLuint>(previous);
    GLint unpackBuffer = 0;
    glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &unpackBuffer);
    myUnpackBuffer = static_cast<GLuint>(unpackBuffer);
    if (myUnpackBuffer)
        glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}

ScopedTextureBinding::~ScopedTextureBinding()
{
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glBindTexture(myTarget, myPrevious);
    if (myUnpackBuffer)
        glBindBuffer(GL_PIXEL_UNPACK_BUFFER, myUnpackBuffer);
    // Everything touched is put back, so the state stack's record of samplers, blocks and cube
    // maps still holds: a video frame or glyph upload costs no full resend at the next apply.
}
}
