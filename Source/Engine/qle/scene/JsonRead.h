#pragma once
#include "core/Types.h"
#include "stringRegistry/StringId.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Qel
{
// A content value of the wrong shape or range. The JSON library's own exceptions (parse and
// type errors) are thrown as they are; the loaders catch both and report the file.
class ContentError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

namespace json_read
{
using Json = nlohmann::json;

// aValue[aKey] of an object, or a null value when the key is absent. A non-object throws the
// library's type error 306 ("cannot use value() with ...").
const Json& Member(const Json& aObject, const char* aKey);

// Element aIndex of an array of at least aCount elements; throws ContentError otherwise.
const Json& Element(const Json& aArray, std::size_t aIndex, std::size_t aCount);

// The library's conversions with range checks: a value that does not fit the target
// (1e20 into an int, NaN, 1e40 into a float) throws ContentError instead of being undefined.
i32 ToInt(const Json& aValue);
float ToFloat(const Json& aValue);
bool ToBool(const Json& aValue);     // boolean only (type error 302 otherwise)
std::string_view ToStringView(const Json& aValue); // string only (type error 302 otherwise)

// Interned text of a JSON string; text over the registry's limit gives the null id.
StringId ToStringId(const Json& aValue);
StringId Intern(std::string_view aText);

// True when aObject (an object) has aKey. A non-object throws 306.
bool Has(const Json& aObject, const char* aKey);

// Runs aBody and adds "aKey: " in front of any error it throws, so a message says where.
template <class Body>
decltype(auto) InKey(const char* aKey, Body aBody)
{
    try
    {
        return aBody();
    }
    catch (const std::exception& error)
    {
        throw ContentError(std::string("\"") + aKey + "\": " + error.what());
    }
}
}
}
