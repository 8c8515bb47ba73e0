#include "texture/TextureManager.h"

#include "engine/Engine.h"
#include "filewatcher/FileWatcher.h"
#include "graphics/DX11.h"
#include "loaders/DDSTextureLoader.h"
#include "loaders/FileData.h"
#include "loaders/LoadFlags.h"
#include "loaders/ContentPrefetch.h"
#include "loaders/WICTextureLoader.h"
#include "loaders/tgaloader.h"
#include "settings/Settings.h"
#include "stringRegistry/Fnv1a.h"
#include "texture/TextureUpload.h"

#include <array>
#include <cstdio>
#include <vector>

namespace Qel
{
namespace
{
constexpr u32 PLACEHOLDER_SIZE = 512;
constexpr float PLACEHOLDER_RELATIVE_SIZE = 0.3f;
constexpr u32 WIC_MAX_SIZE = 16384;
// Nothing a texture needs comes near this (16384^2 RGBA with every mip is about 1.4 GiB, as BC7 a
// quarter of that); a larger file is refused before it is read.
constexpr u64 TEXTURE_FILE_MAX_BYTES = u64(2) << 30;

ShaderResourceView MakeBuiltIn(u32 aSize, const u8* aPixels)
{
    // Built-ins are plain UNORM data, as the shaders expect of a neutral texture.
    std::unique_ptr<Texture> texture = Texture::CreateFromRGBA(aSize, aSize, aPixels, 0, false);
    return texture ? texture->GetShaderResourceView() : ShaderResourceView();
}

float RenderHeight()
{
    if (Engine* engine = Engine::GetInstance())
    {
        const u32 height = engine->GetRenderSize().second;
        if (height > 0)
            return static_cast<float>(height);
    }
    if (DX11* device = DX11::GetInstance())
    {
        const i32 height = device->GetActiveTargetSize().second;
        if (height > 0)
            return static_cast<float>(height);
    }
    return 0.0f;
}

bool HasTargaExtension(const std::string& aPath)
{
    const size_t dot = aPath.find_last_of('.');
    return dot != std::string::npos && aPath.compare(dot + 1, std::string::npos, "tga") == 0;
}

// The size limit the image loader decodes to on this device.
u32 ImageMaxSize()
{
    const u32 deviceMax = impl::GetMaxTextureSize();
    return deviceMax != 0 && deviceMax < WIC_MAX_SIZE ? deviceMax : WIC_MAX_SIZE;
}

u32 LoadFlagFor(u32 aColorMode)
{
    if (aColorMode == TEXTURE_COLOR_MODE_FORCE_SRGB)
        return TEXTURE_LOAD_FORCE_SRGB;
    if (aColorMode == TEXTURE_COLOR_MODE_IGNORE_SRGB)
        return TEXTURE_LOAD_IGNORE_SRGB;
    return TEXTURE_LOAD_DEFAULT;
}
}

size_t TextureManager::KeyHash::operator()(const std::string& aKey) const { return static_cast<size_t>(Fnv1a64(aKey)); }

TextureManager::TextureManager() : myAlive(std::make_shared<bool>(true))
{
    myWhiteSquare = new Texture;
    myWhiteSquare->myName = "WhiteSquare";
    myWhiteSquare->myRelativeWidth = PLACEHOLDER_RELATIVE_SIZE;
    myWhiteSquare->myRelativeHeight = PLACEHOLDER_RELATIVE_SIZE;
    myWhiteSquare->myWidth = PLACEHOLDER_SIZE;
    myWhiteSquare->myHeight = PLACEHOLDER_SIZE;
    // The graphics engine asks for textures before the engine runs Init: have the built-ins
    // ready as soon as there is a device.
    if (DX11::IsContextAlive() && DX11::IsRenderThread())
        CreateBuiltIns();
}

TextureManager::~TextureManager()
{
    *myAlive = false;
    for (auto& entry : myCache)
        delete entry.second;
    myCache.clear();
    delete myWhiteSquare;
    myWhiteSquare = nullptr;
}

void TextureManager::Init()
{
    if (!myCheckerboardView)
        CreateBuiltIns();
}

void TextureManager::CreateBuiltIns()
{
    if (!DX11::IsContextAlive() || !DX11::IsRenderThread())
        return;

    std::array<u8, 16 * 16 * 4> checker{};
    for (u32 y = 0; y < 16; ++y)
        for (u32 x = 0; x < 16; ++x)
        {
            u8* pixel = &checker[(y * 16 + x) * 4];
            const bool magenta = ((x + y) & 1) != 0;
            pixel[0] = magenta ? 255 : 0;
            pixel[1] = 0;
            pixel[2] = magenta ? 255 : 0;
            pixel[3] = 255;
        }
    std::array<u8, 4 * 4 * 4> white;
    white.fill(255);
    std::array<u8, 4 * 4 * 4> flatNormal{};
    for (size_t i = 0; i < flatNormal.size(); i += 4)
    {
        flatNormal[i] = 128;
        flatNormal[i + 1] = 128;
        flatNormal[i + 2] = 255;
        flatNormal[i + 3] = 255;
    }

    myCheckerboardView = MakeBuiltIn(16, checker.data());
    myWhiteSquare->myView = MakeBuiltIn(4, white.data());
    myFlatNormalView = MakeBuiltIn(4, flatNormal.data());

    // Placeholders made while there was no device get the checkerboard now.
    for (auto& entry : myCache)
        if (entry.second->myFailed && !entry.second->myView)
            entry.second->myView = myCheckerboardView;
}

std::string TextureManager::MakeCacheKey(std::string_view aPath, u32 aColorMode)
{
    std::string key(aPath);
    if (aColorMode == TEXTURE_COLOR_MODE_FORCE_SRGB)
        key += "#SRGB";
    else if (aColorMode == TEXTURE_COLOR_MODE_IGNORE_SRGB)
        key += "#NO_SRGB";
    return key;
}

Texture* TextureManager::FindCached(const std::string& aKey) const
{
    const auto found = myCache.find(aKey);
    return found != myCache.end() ? found->second : nullptr;
}

void TextureManager::WatchForChanges(const std::string& aResolvedPath, const std::string& aKey)
{
    if (!myWatchedKeys.insert(aKey).second)
        return;
    FileWatcher* watcher = myFileWatcher;
    if (!watcher)
    {
        Engine* engine = Engine::GetInstance();
        watcher = engine ? engine->GetFileWatcher() : nullptr;
    }
    if (!watcher)
        return;
    std::weak_ptr<bool> alive = myAlive;
    watcher->WatchFileChange(aResolvedPath, [this, alive, aKey]() {
        if (alive.lock())
            OnFileChanged(aKey);
    });
}

void TextureManager::OnFileChanged(const std::string& aKey)
{
    if (Texture* texture = FindCached(aKey))
    {
        // Copies: the reload rewrites these fields.
        const std::string path = texture->myPath;
        const u32 mode = texture->myColorMode;
        Load(path, mode, true, texture->myMipChain);
    }
}

void TextureManager::Prefetch(std::string_view aPath, u32 aColorMode)
{
    const std::string resolved = ResolveAssetPath(aPath);
    if (!resolved.empty())
        ContentPrefetch::Get().PrefetchImage(resolved, LoadFlagFor(aColorMode), WIC_MAX_SIZE, TEXTURE_FILE_MAX_BYTES);
}

ShaderResourceView TextureManager::LoadView(const std::string& aResolvedPath, u32 aColorMode, bool aMipChain,
                                            std::string& aError)
{
    const u32 loadFlag = LoadFlagFor(aColorMode);
    char code[16];

    // Read once; every loader then looks at the same bytes. The size is checked before reading.
    std::vector<u8> data;
    HRESULT read = S_OK;
    std::unique_ptr<PrefetchedImage> prefetched =
        ContentPrefetch::Get().TakeImage(aResolvedPath, loadFlag, WIC_MAX_SIZE, TEXTURE_FILE_MAX_BYTES);
    // Decoded for a larger limit than this device takes: decoded again below, scaled to fit.
    const u32 maxSize = ImageMaxSize();
    if (prefetched && prefetched->myDecoded &&
        (prefetched->myImage.width > maxSize || prefetched->myImage.height > maxSize))
        prefetched.reset();
    if (prefetched)
    {
        ShaderResourceView view;
        if (prefetched->myDecoded &&
            Succeeded(CreateWICTextureFromDecodedImage(prefetched->myImage, aMipChain, &view)))
            return view;
        // Not an image the decoder knows, or it failed: the bytes go the ordinary way.
        read = prefetched->myRead;
        data = std::move(prefetched->myBytes);
    }
    else
    {
        read = ReadWholeFile(aResolvedPath, TEXTURE_FILE_MAX_BYTES, data);
    }
    if (read == E_FAIL)
    {
        aError = "file too large (over the limit of " + std::to_string(TEXTURE_FILE_MAX_BYTES >> 20) + " MiB)";
        return {};
    }
    if (Failed(read))
    {
        std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(read));
        aError = std::string(DescribeHResult(read)) + " (" + code + ")";
        return {};
    }
    if (data.empty())
    {
        aError = "empty file";
        return {};
    }

    ShaderResourceView view;
    // DDS first, whatever the extension says.
    std::string ddsRefusal;
    const HRESULT dds = CreateDDSTextureFromMemoryEx(data.data(), data.size(), 0, loadFlag, &view, nullptr, &ddsRefusal);
    if (Succeeded(dds))
        return view;
    if (!ddsRefusal.empty())
    {
        aError = "DDS: " + ddsRefusal;
        return {};
    }

    const HRESULT image =
        CreateWICTextureFromMemoryEx(data.data(), data.size(), WIC_MAX_SIZE, loadFlag, aMipChain, &view);
    if (Succeeded(image))
        return view;

    std::string targaError;
    const bool targa = HasTargaExtension(aResolvedPath);
    if (targa)
    {
        if (std::unique_ptr<TargaImage> pixels = ParseTargaImage(data.data(), data.size(), &targaError))
        {
            // Targa data is taken as sRGB unless the caller asked to ignore that.
            std::unique_ptr<Texture> texture =
                Texture::CreateFromRGBA(pixels->width, pixels->height, pixels->pixels.data(), 0,
                                        aColorMode != TEXTURE_COLOR_MODE_IGNORE_SRGB);
            if (texture)
                return texture->GetShaderResourceView();
            targaError = "the texture could not be created";
        }
    }

    // Report the loader the file was meant for.
    if (image != HResultFromWin32(ERROR_NOT_SUPPORTED))
    {
        std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(image));
        aError = std::string("image: ") + DescribeHResult(image) + " (" + code + ")";
    }
    else if (targa)
    {
        aError = "Targa: " + targaError;
    }
    else
    {
        std::snprintf(code, sizeof(code), "0x%08X", static_cast<unsigned>(dds));
        aError = std::string("DDS: ") + DescribeHResult(dds) + " (" + code + ")";
    }
    return {};
}

Texture* TextureManager::TryLoadTexture(std::string_view aPath, u32 aColorMode, bool aForceReload)
{
    const Texture* cached = FindCached(MakeCacheKey(aPath, aColorMode));
    return Load(aPath, aColorMode, aForceReload, cached ? cached->myMipChain : true);
}

Texture* TextureManager::Load(std::string_view aPath, u32 aColorMode, bool aForceReload, bool aMipChain)
{
    const std::string key = MakeCacheKey(aPath, aColorMode);
    Texture* cached = FindCached(key);
    if (cached && !aForceReload)
        return cached;

    // GL objects can only be made where the context is current.
    if (!DX11::IsContextAlive() || !DX11::IsRenderThread())
        return nullptr;

    const std::string resolved = ResolveAssetPath(aPath);
    if (resolved.empty())
        return nullptr;
    WatchForChanges(resolved, key);

    std::string error;
    ShaderResourceView view = LoadView(resolved, aColorMode, aMipChain, error);
    if (!view)
    {
        // A failed reload keeps what callers hold as it was.
        std::printf("Could not load texture %s: %s\n", resolved.c_str(), error.c_str());
        std::fflush(stdout);
        return nullptr;
    }

    Texture* texture = cached ? cached : new Texture;
    texture->myName = resolved;
    texture->myPath = std::string(aPath);
    // Draws that still hold the old view keep it alive until they let go.
    texture->myView = std::move(view);
    texture->myColorMode = aColorMode;
    texture->myMipChain = aMipChain;
    texture->myWidth = texture->myView->GetWidth();
    texture->myHeight = texture->myView->GetHeight();
    const float renderHeight = RenderHeight();
    texture->myRelativeWidth = renderHeight > 0.0f ? static_cast<float>(texture->myWidth) / renderHeight : 0.0f;
    texture->myRelativeHeight = renderHeight > 0.0f ? static_cast<float>(texture->myHeight) / renderHeight : 0.0f;
    // A placeholder keeps its failed flag even once a reload has filled it.
    if (!cached)
        myCache.emplace(key, texture);
    return texture;
}

Texture* TextureManager::GetTexture(std::string_view aPath, u32 aColorMode, bool aForceReload)
{
    if (Texture* texture = TryLoadTexture(aPath, aColorMode, aForceReload))
        return texture;
    return MakePlaceholder(aPath, aColorMode);
}

Texture* TextureManager::GetScreenTexture(std::string_view aPath, u32 aColorMode)
{
    if (Texture* texture = Load(aPath, aColorMode, false, false))
        return texture;
    return MakePlaceholder(aPath, aColorMode);
}

Texture* TextureManager::MakePlaceholder(std::string_view aPath, u32 aColorMode)
{
    std::string key = MakeCacheKey(aPath, aColorMode);
    if (Texture* cached = FindCached(key))
        return cached;

    Texture* placeholder = new Texture;
    placeholder->myName = std::string(aPath);
    placeholder->myPath = std::string(aPath);
    placeholder->myView = myCheckerboardView;
    placeholder->myColorMode = aColorMode;
    placeholder->myFailed = true;
    placeholder->myRelativeWidth = PLACEHOLDER_RELATIVE_SIZE;
    placeholder->myRelativeHeight = PLACEHOLDER_RELATIVE_SIZE;
    placeholder->myWidth = PLACEHOLDER_SIZE;
    placeholder->myHeight = PLACEHOLDER_SIZE;
    myCache.emplace(std::move(key), placeholder);
    return placeholder;
}
}
