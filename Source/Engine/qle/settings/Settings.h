#pragma once
#include "engine/EngineCreateParameters.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace Qel
{
// Reads <executable folder>/settings/<aName> (".json" added when the name has no '.') into the
// global creation parameters and the asset roots. False, with the file and the cause on stderr,
// when the file is missing or malformed.
bool LoadSettings(const std::string& aName);

// Finds a relative asset path under "data/" beside the executable, then the game root, then the
// engine root. Empty when it is nowhere.
std::string ResolveAssetPath(std::string_view aRelativePath);

namespace Settings
{
EngineCreateParameters& GetEngineCreateParameters();
std::filesystem::path& GetExecutableFolder();
std::filesystem::path& GetEngineAssetsPath();
std::filesystem::path& GetGameAssetsPath();
std::filesystem::path& GetCookedAssetsPath();

// The reader behind LoadSettings, on an explicit executable folder and target (tests).
bool LoadSettingsFrom(const std::filesystem::path& aExecutableFolder, const std::string& aName,
                      EngineCreateParameters& aParameters);
// True when the engine, game and cooked asset roots are all set and exist; otherwise says, on
// stderr, which "assets_path" key is missing or names a missing folder.
bool CheckAssetRoots();
// Turns Windows-authored separators into '/' and drops leading ones, so the path joins below a root.
std::string NormaliseRelativePath(std::string_view aPath);
}
}
