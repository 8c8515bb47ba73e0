#pragma once
// Textures by asset path and colour mode, each loaded once and kept for the run. A file that cannot
// be loaded gets a magenta and black checkerboard placeholder, so a missing texture never stops
// the game. Main (render) thread only.
#include "core/Types.h"
#include "texture/Texture.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace Qel
{
class FileWatcher;

class TextureManager
{
public:
    // Creates the built-in textures when a GL context is current (the engine builds the manager
    // right after the device, before anything can ask for a texture).
    TextureManager();
    ~TextureManager();
    TextureManager(const TextureManager&) = delete;
    TextureManager& operator=(const TextureManager&) = delete;

    // Creates the built-ins if the constructor could not.
    void Init();

    // Never null: the placeholder when the file cannot be loaded.
    Texture* GetTexture(std::string_view aPath, u32 aColorMode = TEXTURE_COLOR_MODE_AS_STORED,
                        bool aForceReload = false);
    Texture* GetTexture(const char* aPath, u32 aColorMode = TEXTURE_COLOR_MODE_AS_STORED, bool aForceReload = false)
    {
        return GetTexture(aPath ? std::string_view(aPath) : std::string_view(), aColorMode, aForceReload);
    }
    // Null when the file cannot be loaded. A failed forced reload keeps the cached texture as it was.
    Texture* TryLoadTexture(std::string_view aPath, u32 aColorMode = TEXTURE_COLOR_MODE_AS_STORED,
                            bool aForceReload = false);
    Texture* TryLoadTexture(const char* aPath, u32 aColorMode = TEXTURE_COLOR_MODE_AS_STORED,
                            bool aForceReload = false)
    {
        return TryLoadTexture(aPath ? std::string_view(aPath) : std::string_view(), aColorMode, aForceReload);
    }

    // A picture drawn at about its own size or smaller (menus, logos, splash screens): image files
    // get one level, no mip chain. Shares the cache with GetTexture: whichever asks first decides.
    Texture* GetScreenTexture(std::string_view aPath, u32 aColorMode = TEXTURE_COLOR_MODE_AS_STORED);

    // Starts reading and decoding an image file on a worker thread (ContentPrefetch), for a later
    // GetTexture or GetScreenTexture of the same path and colour mode. Any thread, no GL needed.
    static void Prefetch(std::string_view aPath, u32 aColorMode = TEXTURE_COLOR_MODE_AS_STORED);

    // 4 x 4 white, reported as 512 x 512; bound when a sprite batch has no colour texture.
    Texture* GetWhiteSquare() const { return myWhiteSquare; }
    const ShaderResourceView& GetCheckerboardView() const { return myCheckerboardView; }
    // 4 x 4 of (128, 128, 255, 255): a normal map that bends nothing.
    const ShaderResourceView& GetFlatNormalView() const { return myFlatNormalView; }

    // The path, then "#SRGB" for force sRGB or "#NO_SRGB" for ignore sRGB.
    static std::string MakeCacheKey(std::string_view aPath, u32 aColorMode);
    // Hot reloads register with this watcher instead of the engine's (tests, tools). Null: the
    // engine's, when there is an engine.
    void SetFileWatcher(FileWatcher* aWatcher) { myFileWatcher = aWatcher; }

    // The cached texture under a key, or null.
    Texture* FindCached(const std::string& aKey) const;
    size_t GetCacheSize() const { return myCache.size(); }

private:
    struct KeyHash
    {
        size_t operator()(const std::string& aKey) const;
    };

    void CreateBuiltIns();
    void WatchForChanges(const std::string& aResolvedPath, const std::string& aKey);
    void OnFileChanged(const std::string& aKey);
    Texture* Load(std::string_view aPath, u32 aColorMode, bool aForceReload, bool aMipChain);
    Texture* MakePlaceholder(std::string_view aPath, u32 aColorMode);
    ShaderResourceView LoadView(const std::string& aResolvedPath, u32 aColorMode, bool aMipChain, std::string& aError);

    std::unordered_map<std::string, Texture*, KeyHash> myCache;
    std::unordered_set<std::string> myWatchedKeys;
    // Watcher callbacks check this so that none runs on a deleted manager.
    std::shared_ptr<bool> myAlive;
    FileWatcher* myFileWatcher = nullptr;
    ShaderResourceView myCheckerboardView;
    ShaderResourceView myFlatNormalView;
    Texture* myWhiteSquare = nullptr;
};
}
