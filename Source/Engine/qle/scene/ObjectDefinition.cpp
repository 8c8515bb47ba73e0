#include "scene/ObjectDefinition.h"

#include "scene/ContentLog.h"
#include "scene/JsonRead.h"
#include "scene/Scene.h"
#include "settings/Settings.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <system_error>

#include <fcntl.h>
#include <unistd.h>

namespace Qel
{
namespace fs = std::filesystem;
using Json = nlohmann::json;
using namespace json_read;

namespace
{
const char* DUPLICATE_MESSAGE = "Multiple qlo files exist with same name. That is not allowed: ";

StringId ReadOptionalText(const Json& aObject, const char* aKey)
{
    return Has(aObject, aKey) ? InKey(aKey, [&] { return ToStringId(aObject[aKey]); }) : StringId();
}

bool WriteAll(int aFile, const std::string& aText)
{
    std::size_t done = 0;
    while (done < aText.size())
    {
        const ssize_t written = ::write(aFile, aText.data() + done, aText.size() - done);
        if (written < 0)
        {
            if (errno == EINTR)
            {
                continue;
            }
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

void SyncFolder(const fs::path& aFolder)
{
    const int folder = ::open(aFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0)
    {
        ::fsync(folder);
        ::close(folder);
    }
}

std::string Errno()
{
    return std::strerror(errno);
}
}

// ---- Reading -------------------------------------------------------------------------------

void ReadObjectDefinitionJson(ObjectDefinition& aDefinition, const Json& aDocument, ContentLog& aLog,
                              const std::string& aFile)
{
    aDefinition.myParent = InKey("parent-object-definition",
                                 [&] { return ToStringId(Member(aDocument, "parent-object-definition")); });
    aDefinition.myProperties.clear();
    if (!Has(aDocument, "properties"))
    {
        return;
    }
    const Json& properties = aDocument["properties"];
    if (!properties.is_array())
    {
        throw ContentError(std::string("\"properties\" must be an array, but is ") + properties.type_name());
    }
    aDefinition.myProperties.reserve(properties.size());
    for (std::size_t i = 0; i < properties.size(); ++i)
    {
        const Json& element = properties[i];
        const std::string where = "properties[" + std::to_string(i) + "]";
        InKey(where.c_str(), [&] {
            PropertyRecord record;
            record.myName = InKey("name", [&] { return ToStringId(Member(element, "name")); });
            record.myGroup = ReadOptionalText(element, "group");
            record.myDescription = ReadOptionalText(element, "description");
            const bool isDynamic = InKey("is-dynamic", [&] { return ToBool(Member(element, "is-dynamic")); });
            const bool isPerInstance = InKey("is-per-instance", [&] { return ToBool(Member(element, "is-per-instance")); });
            record.myFlags = static_cast<u8>((isDynamic ? PROPERTY_FLAG_DYNAMIC : 0)
                                             | (isPerInstance ? PROPERTY_FLAG_PER_INSTANCE : 0));
            const std::string_view typeName = InKey("type", [&] { return ToStringView(Member(element, "type")); });
            record.myType = PropertyTypeRegistry::FindByName(Intern(typeName));
            if (!record.myType)
            {
                aLog.Error(aFile, "property \"" + std::string(record.myName.GetView()) + "\" has the unknown type \""
                                      + std::string(typeName) + "\"; it is left out");
                return;
            }
            record.myValue = InKey("value", [&] { return PropertyValue(record.myType, Member(element, "value")); });
            aDefinition.myProperties.push_back(std::move(record));
        });
    }
}

void ReadObjectDefinition(ObjectDefinition& aDefinition, const char* aRelativePath)
{
    ReadObjectDefinition(aDefinition, GetObjectDefinitionManager().GetRoot(), aRelativePath, GetDefaultContentLog());
}

void ReadObjectDefinition(ObjectDefinition& aDefinition, const fs::path& aRoot, const char* aRelativePath, ContentLog& aLog)
{
    aDefinition.myPath = aRelativePath;
    aDefinition.myName = Intern(fs::path(aRelativePath).stem().string());
    const fs::path full = JoinInsideRoot(aRoot, fs::path(aRelativePath));
    if (full.empty())
    {
        throw ContentError("the path is empty or leaves the asset root");
    }
    std::ifstream in(full, std::ios::binary);
    if (!in)
    {
        throw ContentError("cannot be opened");
    }
    Json document;
    in >> document;
    ReadObjectDefinitionJson(aDefinition, document, aLog, full.string());
}

// ---- Writing -------------------------------------------------------------------------------

std::string ObjectDefinitionToText(const ObjectDefinition& aDefinition)
{
    Json document = Json::object();
    document["parent-object-definition"] = std::string(aDefinition.myParent.GetView());
    if (!aDefinition.myProperties.empty())
    {
        Json properties = Json::array();
        for (const PropertyRecord& record : aDefinition.myProperties)
        {
            Json value;
            record.myValue.WriteJson(value);
            properties.push_back({{"name", std::string(record.myName.GetView())},
                                  {"group", std::string(record.myGroup.GetView())},
                                  {"description", std::string(record.myDescription.GetView())},
                                  {"is-dynamic", record.IsDynamic()},
                                  {"is-per-instance", record.IsPerInstance()},
                                  {"type", record.myType ? std::string(record.myType->GetName().GetView()) : std::string()},
                                  {"value", std::move(value)}});
        }
        document["properties"] = std::move(properties);
    }
    return document.dump(2);
}

WriteResult WriteObjectDefinition(const ObjectDefinition& aDefinition)
{
    return WriteObjectDefinition(aDefinition, GetObjectDefinitionManager().GetRoot(), WriteMode::Replace,
                                 GetDefaultContentLog());
}

WriteResult WriteObjectDefinition(const ObjectDefinition& aDefinition, const fs::path& aRoot, WriteMode aMode,
                                  ContentLog& aLog)
{
    const std::string& path = aDefinition.myPath;
    if (aDefinition.myName.IsEmpty() || path.empty())
    {
        aLog.Error(path, "an object definition needs a name; nothing written");
        return WriteResult::Refused;
    }
    fs::path relative(path);
    if (!relative.has_extension())
    {
        relative += ".qlo";
    }
    else if (relative.extension() != ".qlo")
    {
        aLog.Error(path, "an object definition file must end in .qlo; nothing written");
        return WriteResult::Refused;
    }
    const fs::path target = JoinInsideRoot(aRoot, relative);
    if (target.empty())
    {
        aLog.Error(path, "the path leaves the asset root; nothing written");
        return WriteResult::Refused;
    }
    const fs::path folder = target.parent_path();
    std::error_code error;
    fs::create_directories(folder, error);
    if (error)
    {
        aLog.Error(target.string(), "cannot create the folder: " + error.message());
        return WriteResult::Failed;
    }
    if (aMode == WriteMode::KeepExisting && fs::exists(fs::symlink_status(target, error)))
    {
        return WriteResult::AlreadyExists;
    }

    // The whole text goes to a temporary file first; a rename (or a link that refuses to
    // replace) then puts it in place in one step.
    static std::atomic<u32> counter{0};
    const fs::path temporary = folder / ("." + target.filename().string() + ".tmp" + std::to_string(::getpid()) + "-"
                                         + std::to_string(counter++));
    const int file = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (file < 0)
    {
        aLog.Error(target.string(), "cannot write: " + Errno());
        return WriteResult::Failed;
    }
    const bool written = WriteAll(file, ObjectDefinitionToText(aDefinition)) && ::fsync(file) == 0;
    const std::string writeError = written ? std::string() : Errno();
    ::close(file);
    if (!written)
    {
        ::unlink(temporary.c_str());
        aLog.Error(target.string(), "cannot write: " + writeError);
        return WriteResult::Failed;
    }
    WriteResult result = WriteResult::Written;
    if (aMode == WriteMode::Replace)
    {
        if (::rename(temporary.c_str(), target.c_str()) != 0)
        {
            aLog.Error(target.string(), "cannot write: " + Errno());
            ::unlink(temporary.c_str());
            return WriteResult::Failed;
        }
    }
    else
    {
        if (::link(temporary.c_str(), target.c_str()) != 0)
        {
            const int cause = errno;
            ::unlink(temporary.c_str());
            if (cause == EEXIST)
            {
                return WriteResult::AlreadyExists;
            }
            aLog.Error(target.string(), std::string("cannot write: ") + std::strerror(cause));
            return WriteResult::Failed;
        }
        ::unlink(temporary.c_str());
    }
    SyncFolder(folder);
    return result;
}

// ---- Manager -------------------------------------------------------------------------------

ObjectDefinitionManager::ObjectDefinitionManager()
{
    myDefinitions.max_load_factor(1.0f);
    myDefinitions.rehash(8);
}

fs::path ObjectDefinitionManager::GetRoot() const
{
    return myHasRoot ? myRoot : Settings::GetGameAssetsPath();
}

void ObjectDefinitionManager::LoadAll(std::string_view aRoot)
{
    LoadAll(aRoot, GetDefaultContentLog());
}

void ObjectDefinitionManager::LoadAll(std::string_view aRoot, ContentLog& aLog)
{
    myRoot = fs::path(aRoot);
    myHasRoot = true;

    std::vector<fs::path> files;
    std::error_code error;
    fs::recursive_directory_iterator it(myRoot, fs::directory_options::skip_permission_denied, error);
    if (error)
    {
        aLog.Error(myRoot.string(), "cannot search for object definitions: " + error.message());
        return;
    }
    for (const fs::recursive_directory_iterator end; it != end; it.increment(error))
    {
        if (error)
        {
            aLog.Error(myRoot.string(), "error while searching for object definitions: " + error.message());
            break;
        }
        const fs::directory_entry& entry = *it;
        std::error_code statusError;
        if (entry.is_directory(statusError))
        {
            // Scene folders hold only object files, often thousands.
            if (entry.path().extension() == ".leveldata")
            {
                it.disable_recursion_pending();
            }
            continue;
        }
        if (entry.path().extension() == ".qlo" && entry.is_regular_file(statusError))
        {
            files.push_back(entry.path());
        }
    }
    if (error)
    {
        aLog.Error(myRoot.string(), "error while searching for object definitions: " + error.message());
    }
    // Sorted, so "first found keeps the name" means the same file on every machine.
    std::sort(files.begin(), files.end());

    const fs::path canonicalRoot = fs::weakly_canonical(myRoot, error);
    for (const fs::path& file : files)
    {
        const std::string relative = fs::weakly_canonical(file, error).lexically_relative(canonicalRoot).string();
        auto definition = std::make_unique<ObjectDefinition>();
        try
        {
            ReadObjectDefinition(*definition, myRoot, relative.c_str(), aLog);
        }
        catch (const std::exception& caught)
        {
            aLog.Error(file.string(), std::string(caught.what()) + "; the definition is skipped");
            continue;
        }
        const StringId name = definition->myName;
        if (const auto kept = myDefinitions.find(name); kept != myDefinitions.end())
        {
            aLog.ErrorLine(file.string(), DUPLICATE_MESSAGE + std::string(name.GetView()));
            aLog.Warning(file.string(), "skipped; " + kept->second->myPath + " keeps the name");
            continue;
        }
        myDefinitions.emplace(name, std::move(definition));
    }
}

ObjectDefinition* ObjectDefinitionManager::Find(StringId aName) const
{
    const auto it = myDefinitions.find(aName);
    return it == myDefinitions.end() ? nullptr : it->second.get();
}

ObjectDefinition* ObjectDefinitionManager::Add(const ObjectDefinition& aDefinition)
{
    std::unique_ptr<ObjectDefinition>& slot = myDefinitions[aDefinition.myName];
    if (!slot)
    {
        slot = std::make_unique<ObjectDefinition>();
    }
    *slot = aDefinition;
    return slot.get();
}

void ObjectDefinitionManager::Remove(StringId aName)
{
    myDefinitions.erase(aName);
}

ObjectDefinition* ObjectDefinitionManager::GetOrCreate(const fs::path& aFilePath)
{
    return GetOrCreate(aFilePath, GetDefaultContentLog());
}

ObjectDefinition* ObjectDefinitionManager::GetOrCreate(const fs::path& aFilePath, ContentLog& aLog)
{
    const StringId name = Intern(aFilePath.stem().string());
    if (ObjectDefinition* found = Find(name))
    {
        return found;
    }
    auto definition = std::make_unique<ObjectDefinition>();
    definition->myPath = aFilePath.string();
    definition->myName = name;
    ObjectDefinition* stored = definition.get();
    myDefinitions.emplace(name, std::move(definition));
    if (name.IsEmpty())
    {
        // A reference with no path: one shared empty definition in memory, no file.
        return stored;
    }

    switch (WriteObjectDefinition(*stored, GetRoot(), WriteMode::KeepExisting, aLog))
    {
    case WriteResult::Written:
        aLog.Warning(stored->myPath, "no object definition of that name was loaded; wrote an empty one");
        break;
    case WriteResult::AlreadyExists:
    {
        // A file that was not loaded at start (added since): use it, never overwrite it.
        fs::path relative(stored->myPath);
        if (!relative.has_extension())
        {
            relative += ".qlo";
        }
        ObjectDefinition read;
        try
        {
            ReadObjectDefinition(read, GetRoot(), relative.string().c_str(), aLog);
            stored->myParent = read.myParent;
            stored->myProperties = std::move(read.myProperties);
        }
        catch (const std::exception& caught)
        {
            aLog.Error(relative.string(), std::string(caught.what()) + "; an empty definition is used");
        }
        break;
    }
    case WriteResult::Refused:
    case WriteResult::Failed:
        break; // reported; the empty definition stays in memory
    }
    return stored;
}

ObjectDefinitionManager& GetObjectDefinitionManager()
{
    // Never destroyed: its values stay valid for anything else that runs at exit.
    static auto* manager = new ObjectDefinitionManager();
    return *manager;
}

// ---- Merge ---------------------------------------------------------------------------------

void ApplyPerInstanceProperties(const SceneObject& aObject, ObjectDefinitionManager& aManager,
                                std::vector<PropertyRecord>& aOutProperties)
{
    const ObjectDefinition* definition = aManager.Find(aObject.myObjectDefinition);
    if (!definition)
    {
        return;
    }
    aOutProperties.reserve(aOutProperties.size() + definition->myProperties.size());
    for (const PropertyRecord& record : definition->myProperties)
    {
        PropertyRecord& added = aOutProperties.emplace_back(record);
        if (!record.IsPerInstance())
        {
            continue;
        }
        for (const PropertyOverride& instance : aObject.myPropertyOverrides)
        {
            if (instance.myName == record.myName)
            {
                if (instance.myType == record.myType)
                {
                    added.myValue = instance.myValue;
                }
                break; // only the first override of a name counts
            }
        }
    }
}
}
