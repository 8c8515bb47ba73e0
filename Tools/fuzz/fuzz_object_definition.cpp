// Any bytes as an object-definition file: an error (caught), or a definition whose written
// text reads back into the same text.
#include "scene/ContentLog.h"
#include "scene/ObjectDefinition.h"

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
        in >> document;
    }
    catch (const std::exception&)
    {
        return 0;
    }
    ObjectDefinition definition;
    try
    {
        ReadObjectDefinitionJson(definition, document, log, "fuzz");
    }
    catch (const std::exception&)
    {
        return 0;
    }
    const std::string text = ObjectDefinitionToText(definition);
    ObjectDefinition back;
    try
    {
        ReadObjectDefinitionJson(back, nlohmann::json::parse(text), log, "fuzz");
    }
    catch (const std::exception&)
    {
        __builtin_trap(); // the writer produced something its reader refuses
    }
    if (ObjectDefinitionToText(back) != text)
        __builtin_trap();
    return 0;
}
