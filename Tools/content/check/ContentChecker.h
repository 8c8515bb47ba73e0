#pragma once
#include "scene/ContentLog.h"
#include "scene/ObjectDefinition.h"

#include <filesystem>
#include <string>
#include <vector>

namespace Qel::ContentCheck
{
// What every check sees: the roots, the loaded definitions and the log to report into.
struct Context
{
    std::filesystem::path myGameRoot;
    std::filesystem::path myEngineRoot;
    ObjectDefinitionManager myDefinitions;
    ContentLog& myLog;

    explicit Context(ContentLog& aLog) : myLog(aLog) {}

    // A path the game resolves through its asset roots (textures, models, clips): the game
    // root, then the engine root.
    bool AssetExists(StringId aPath) const;
    // A path joined directly to the game root (scenes, particle systems, definitions).
    bool GameFileExists(StringId aPath) const;
};

// One kind of content. New kinds (models, clips, particle systems) add an entry to the table
// in ContentChecker.cpp; values inside property lists are checked in CheckPropertyValue.
struct Check
{
    const char* myName;
    void (*myRun)(Context& aContext);
};
const std::vector<Check>& GetChecks();

// Checks one property value of a definition or a scene object: enum and state ranges,
// referenced files and definitions. aFile and aWhere name it in messages.
void CheckPropertyValue(Context& aContext, const PropertyValue& aValue, const std::string& aFile,
                        const std::string& aWhere);

// Runs every check over the tree; the number of errors found.
int Run(const std::filesystem::path& aGameRoot, const std::filesystem::path& aEngineRoot, ContentLog& aLog);
}
