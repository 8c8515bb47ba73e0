#include "settings/Settings.h"

#include "platform/Platform.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace Qel
{
namespace
{
using nlohmann::json;

EngineCreateParameters ourParameters;

constexpr u32 MAX_SIZE = 16384;

// A settings problem with the key it was found at.
struct SettingsError : std::runtime_error
{
    using std::runtime_error::runtime_error;
};

bool IsPresent(const json& aObject, const char* aKey)
{
    return aObject.contains(aKey) && !aObject[aKey].is_null();
}

std::string SizeRangeText(const std::string& aWhere, i64 aSize)
{
    return "\"" + aWhere + "\" must be between 1 and " + std::to_string(MAX_SIZE) + ", but is " + std::to_string(aSize);
}

// 0 is read as "no size": only a full-screen or maximised window may have it (it then takes the
// screen's size), which the caller checks once the flags are known.
u32 ReadSize(const json& aSize, const char* aOwner, const char* aKey)
{
    const std::string where = std::string(aOwner) + "." + aKey;
    if (!aSize.is_object() || !aSize.contains(aKey))
        throw SettingsError("\"" + where + "\" is missing");
    const json& value = aSize[aKey];
    if (!value.is_number_integer())
        throw SettingsError("\"" + where + "\" must be a whole number, but is " + std::string(value.type_name()));
    const i64 size = value.get<i64>();
    if (size < 0 || size > static_cast<i64>(MAX_SIZE))
        throw SettingsError(SizeRangeText(where, size));
    return static_cast<u32>(size);
}

u32 DebugFeatureFromName(const std::string& aName)
{
    static constexpr struct
    {
        const char* name;
        u32 bit;
    } table[] = {{"Fps", DebugFeature::Fps},
                 {"Mem", DebugFeature::Mem},
                 {"Drawcalls", DebugFeature::Drawcalls},
                 {"Cpu", DebugFeature::Cpu},
                 {"FpsGraph", DebugFeature::FpsGraph},
                 {"Filewatcher", DebugFeature::Filewatcher},
                 {"OptimizeWarnings", DebugFeature::OptimizeWarnings},
                 {"MemoryTrackingStackTraces", DebugFeature::MemoryTrackingStackTraces},
                 {"MemoryTrackingAllAllocations", DebugFeature::MemoryTrackingAllAllocations}};
    for (const auto& entry : table)
    {
        if (aName == entry.name)
            return entry.bit;
    }
    return 0;
}

// A string or an array of strings, as a list.
std::vector<std::string> ReadNameList(const json& aValue)
{
    std::vector<std::string> names;
    if (aValue.is_array())
    {
        for (const json& element : aValue)
            names.push_back(element.get<std::string>());
    }
    else
    {
        names.push_back(aValue.get<std::string>());
    }
    return names;
}

u32 ReadDebugFeatures(const json& aValue)
{
    u32 flags = 0;
    for (const std::string& name : ReadNameList(aValue))
    {
        if (name == "All")
            return DebugFeature::All;
        if (name == "None")
            return 0;
        flags |= DebugFeatureFromName(name);
    }
    return flags;
}

u32 ReadMultisampling(const json& aValue, u32 aCurrent)
{
    u32 result = aCurrent;
    for (const std::string& name : ReadNameList(aValue))
    {
        if (name == "Off")
            result = 0;
        else if (name == "Low")
            result = 1;
        else if (name == "Medium")
            result = 2;
        else if (name == "High")
            result = 3;
    }
    return result;
}

// Runs aRead with the key's name added to any library error it raises.
template <typename Fn>
void WithKey(const char* aKey, Fn&& aRead)
{
    try
    {
        aRead();
    }
    catch (const SettingsError&)
    {
        throw;
    }
    catch (const json::exception& e)
    {
        throw SettingsError(std::string("\"") + aKey + "\": " + e.what());
    }
}

void ReadWindowSettings(const json& aWindow, EngineCreateParameters& aParameters, std::vector<std::string>& aWarnings)
{
    WithKey("title", [&] {
        const std::string title = aWindow.at("title").get<std::string>();
        if (!title.empty())
            aParameters.myTitle = title;
    });
    if (IsPresent(aWindow, "clear_color"))
    {
        WithKey("clear_color", [&] {
            const json& color = aWindow["clear_color"];
            if (!color.is_object())
                throw SettingsError("\"clear_color\" must be an object with \"r\", \"g\", \"b\" and \"a\"");
            // A component left out keeps its default rather than reading a missing key.
            static constexpr const char* names[4] = {"r", "g", "b", "a"};
            std::string missing;
            for (int i = 0; i < 4; ++i)
            {
                if (IsPresent(color, names[i]))
                    aParameters.myClearColor[i] = color[names[i]].get<float>();
                else
                    missing += std::string(missing.empty() ? "" : ", ") + "\"" + names[i] + "\"";
            }
            if (!missing.empty())
                aWarnings.push_back("\"clear_color\" has no " + missing + "; the default is kept for it");
        });
    }
    const bool hasWindowSize = IsPresent(aWindow, "window_size");
    const bool hasRenderSize = IsPresent(aWindow, "render_size");
    if (hasWindowSize)
    {
        aParameters.myWindowWidth = ReadSize(aWindow["window_size"], "window_size", "w");
        aParameters.myWindowHeight = ReadSize(aWindow["window_size"], "window_size", "h");
        if (!hasRenderSize)
        {
            aParameters.myRenderWidth = aParameters.myWindowWidth;
            aParameters.myRenderHeight = aParameters.myWindowHeight;
        }
    }
    if (hasRenderSize)
    {
        aParameters.myRenderWidth = ReadSize(aWindow["render_size"], "render_size", "w");
        aParameters.myRenderHeight = ReadSize(aWindow["render_size"], "render_size", "h");
        if (!hasWindowSize)
        {
            aParameters.myWindowWidth = aParameters.myRenderWidth;
            aParameters.myWindowHeight = aParameters.myRenderHeight;
        }
    }
    const auto readFlag = [&](const char* aKey, u8& aFlag) {
        if (IsPresent(aWindow, aKey))
            WithKey(aKey, [&] { aFlag = aWindow[aKey].get<bool>() ? 1 : 0; });
    };
    readFlag("enable_vsync", aParameters.myEnableVsync);
    readFlag("start_in_fullscreen", aParameters.myStartInFullscreen);
    readFlag("start_maximized", aParameters.myStartMaximized);
    readFlag("borderless", aParameters.myBorderless);

    // A window of no size takes the screen's, which only a full-screen or maximised window can.
    const bool fillsScreen = aParameters.myStartInFullscreen || aParameters.myStartMaximized;
    const char* sizeKey = hasWindowSize ? "window_size" : "render_size";
    if (aParameters.myWindowWidth == 0 || aParameters.myWindowHeight == 0)
    {
        if (!fillsScreen)
            throw SettingsError(SizeRangeText(std::string(sizeKey) + (aParameters.myWindowWidth == 0 ? ".w" : ".h"), 0) +
                                " (0 is only allowed with \"start_in_fullscreen\" or \"start_maximized\")");
    }
    else if (aParameters.myRenderWidth == 0 || aParameters.myRenderHeight == 0)
    {
        throw SettingsError(SizeRangeText(std::string("render_size") + (aParameters.myRenderWidth == 0 ? ".w" : ".h"), 0));
    }

    aParameters.myDebugFeatures = 0;
    if (IsPresent(aWindow, "debug_features"))
        WithKey("debug_features", [&] { aParameters.myDebugFeatures = ReadDebugFeatures(aWindow["debug_features"]); });
    if (IsPresent(aWindow, "multisampling"))
        WithKey("multisampling",
                [&] { aParameters.myMultisampling = ReadMultisampling(aWindow["multisampling"], aParameters.myMultisampling); });
}

std::filesystem::path ourExecutableFolder;
std::filesystem::path ourSettingsFile;
std::filesystem::path ourEngineAssetsPath;
std::filesystem::path ourGameAssetsPath;
std::filesystem::path ourCookedAssetsPath;

std::filesystem::path MakeRoot(const std::filesystem::path& aExecutableFolder, const json& aValue)
{
    std::string value = aValue.get<std::string>();
    for (char& c : value)
    {
        if (c == '\\')
            c = '/';
    }
    return (aExecutableFolder / value).lexically_normal();
}
}

namespace Settings
{
EngineCreateParameters& GetEngineCreateParameters() { return ourParameters; }
std::filesystem::path& GetExecutableFolder() { return ourExecutableFolder; }
std::filesystem::path& GetEngineAssetsPath() { return ourEngineAssetsPath; }
std::filesystem::path& GetGameAssetsPath() { return ourGameAssetsPath; }
std::filesystem::path& GetCookedAssetsPath() { return ourCookedAssetsPath; }

std::string NormaliseRelativePath(std::string_view aPath)
{
    std::string path(aPath);
    for (char& c : path)
    {
        if (c == '\\')
            c = '/';
    }
    const size_t first = path.find_first_not_of('/');
    return first == std::string::npos ? std::string() : path.substr(first);
}

bool LoadSettingsFrom(const std::filesystem::path& aExecutableFolder, const std::string& aName,
                      EngineCreateParameters& aParameters)
{
    std::string fileName = aName;
    if (fileName.find('.') == std::string::npos)
        fileName += ".json";
    const std::filesystem::path filePath = aExecutableFolder / "settings" / fileName;

    std::ifstream file(filePath, std::ios::binary);
    if (!file)
    {
        std::fprintf(stderr, "Could not open project settings file %s\n", filePath.string().c_str());
        return false;
    }
    try
    {
        const json root = json::parse(file);
        if (!root.is_object())
            throw SettingsError("the file must hold a JSON object");
        if (root.contains("assets_path"))
        {
            WithKey("assets_path", [&] {
                const json& assets = root["assets_path"];
                ourEngineAssetsPath = MakeRoot(aExecutableFolder, assets.at("engine"));
                ourGameAssetsPath = MakeRoot(aExecutableFolder, assets.at("game"));
                if (assets.contains("cooked"))
                    ourCookedAssetsPath = MakeRoot(aExecutableFolder, assets["cooked"]);
            });
        }
        if (!root.contains("window_settings") || !root["window_settings"].is_object())
            throw SettingsError("\"window_settings\" is missing or not an object");
        std::vector<std::string> warnings;
        ReadWindowSettings(root["window_settings"], aParameters, warnings);
        for (const std::string& warning : warnings)
            std::fprintf(stderr, "Settings file %s: %s\n", filePath.string().c_str(), warning.c_str());
        ourSettingsFile = filePath;
    }
    catch (const std::exception& e)
    {
        std::fprintf(stderr, "Bad settings file %s: %s\n", filePath.string().c_str(), e.what());
        return false;
    }
    return true;
}

bool CheckAssetRoots()
{
    const std::string file = ourSettingsFile.empty() ? std::string("(none read)") : ourSettingsFile.string();
    if (ourEngineAssetsPath.empty() && ourGameAssetsPath.empty() && ourCookedAssetsPath.empty())
    {
        std::fprintf(stderr,
                     "Settings file %s: no \"assets_path\" is given, so no shader, texture or font can be found. It "
                     "needs \"assets_path\": {\"engine\": ..., \"game\": ..., \"cooked\": ...}, folders relative to "
                     "the executable.\n",
                     file.c_str());
        return false;
    }
    bool ok = true;
    const struct
    {
        const char* key;
        const std::filesystem::path& root;
    } roots[] = {{"engine", ourEngineAssetsPath}, {"game", ourGameAssetsPath}, {"cooked", ourCookedAssetsPath}};
    for (const auto& root : roots)
    {
        std::error_code error;
        if (root.root.empty())
            std::fprintf(stderr, "Settings file %s: \"assets_path.%s\" is not given.\n", file.c_str(), root.key);
        else if (!std::filesystem::is_directory(root.root, error))
            std::fprintf(stderr, "Settings file %s: \"assets_path.%s\" names %s, which is not a folder that exists.\n",
                         file.c_str(), root.key, root.root.string().c_str());
        else
            continue;
        ok = false;
    }
    return ok;
}
}

bool LoadSettings(const std::string& aName)
{
    const std::filesystem::path module = Platform::GetModuleFileName();
    if (module.empty())
    {
        std::fprintf(stderr, "GetModuleFileName failed in Qel::LoadSettings\n");
        return false;
    }
    ourExecutableFolder = module.parent_path();
    return Settings::LoadSettingsFrom(ourExecutableFolder, aName, ourParameters);
}

std::string ResolveAssetPath(std::string_view aRelativePath)
{
    const std::string relative = Settings::NormaliseRelativePath(aRelativePath);
    if (relative.empty())
        return {};
    std::error_code error;
    const std::filesystem::path inData = ourExecutableFolder / "data" / relative;
    if (!ourExecutableFolder.empty() && std::filesystem::exists(inData, error))
        return inData.string();
    if (!ourGameAssetsPath.empty())
    {
        const std::filesystem::path inGame = ourGameAssetsPath / relative;
        if (std::filesystem::exists(inGame, error))
            return inGame.string();
    }
    if (!ourEngineAssetsPath.empty())
    {
        const std::filesystem::path inEngine = ourEngineAssetsPath / relative;
        if (std::filesystem::exists(inEngine, error))
            return inEngine.string();
    }
    return {};
}
}
