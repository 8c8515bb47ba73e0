// Any bytes as a scene-object file: either an error (caught) or an object whose overrides all
// hold a value of a registered type.
#include "scene/ContentLog.h"
#include "scene/Scene.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

using namespace Qel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* aData, size_t aSize)
{
    static ContentLog log(nullptr);
    std::istringstream in(std::string(reinterpret_cast<const char*>(aData), aSize));
    nlohmann::json document;
    try
    {
        in >> document; // as the loader reads: one value, trailing text ignored
    }
    catch (const std::exception&)
    {
        return 0;
    }
    SceneObject object;
    try
    {
        ReadSceneObject(document, object, log, "fuzz");
    }
    catch (const std::exception&)
    {
        return 0;
    }
    for (const PropertyOverride& instance : object.myPropertyOverrides)
    {
        if (!instance.myType || instance.myValue.GetType() != instance.myType)
            __builtin_trap();
        nlohmann::json written;
        instance.myValue.WriteJson(written);
        // What was read must read again from its own written form.
        const PropertyValue again(instance.myType, written);
        (void)again;
    }
    return 0;
}
