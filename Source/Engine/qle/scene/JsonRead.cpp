#include "scene/JsonRead.h"

#include "stringRegistry/StringRegistry.h"

#include <cfloat>
#include <cmath>
#include <limits>

namespace Qel::json_read
{
namespace
{
const Json& NullJson()
{
    static const Json null;
    return null;
}

std::string TypeName(const Json& aValue)
{
    return aValue.type_name();
}
}

const Json& Member(const Json& aObject, const char* aKey)
{
    if (!aObject.is_object())
    {
        (void)aObject.value(aKey, Json()); // the library's own 306 error
    }
    const auto it = aObject.find(aKey);
    return it == aObject.end() ? NullJson() : *it;
}

bool Has(const Json& aObject, const char* aKey)
{
    if (!aObject.is_object())
    {
        (void)aObject.value(aKey, Json());
    }
    return aObject.contains(aKey);
}

const Json& Element(const Json& aArray, std::size_t aIndex, std::size_t aCount)
{
    if (!aArray.is_array())
    {
        throw ContentError("expected an array of " + std::to_string(aCount) + " numbers, but is " + TypeName(aArray));
    }
    if (aArray.size() < aCount)
    {
        throw ContentError("expected an array of " + std::to_string(aCount) + " numbers, but it has "
                           + std::to_string(aArray.size()));
    }
    return aArray[aIndex];
}

i32 ToInt(const Json& aValue)
{
    constexpr i64 lowest = std::numeric_limits<i32>::min();
    constexpr i64 highest = std::numeric_limits<i32>::max();
    if (aValue.is_number_unsigned())
    {
        const u64 value = aValue.get<u64>();
        if (value > static_cast<u64>(highest))
        {
            throw ContentError("number " + aValue.dump() + " is out of range for a 32-bit integer");
        }
        return static_cast<i32>(value);
    }
    if (aValue.is_number_integer())
    {
        const i64 value = aValue.get<i64>();
        if (value < lowest || value > highest)
        {
            throw ContentError("number " + aValue.dump() + " is out of range for a 32-bit integer");
        }
        return static_cast<i32>(value);
    }
    if (aValue.is_number_float())
    {
        const double value = aValue.get<double>();
        if (!std::isfinite(value) || value <= static_cast<double>(lowest) - 1.0 || value >= static_cast<double>(highest) + 1.0)
        {
            throw ContentError("number " + aValue.dump() + " is out of range for a 32-bit integer");
        }
        return static_cast<i32>(value); // truncated toward zero
    }
    if (aValue.is_boolean())
    {
        return aValue.get<bool>() ? 1 : 0;
    }
    return aValue.get<i32>(); // the library's "type must be number" error
}

float ToFloat(const Json& aValue)
{
    if (aValue.is_number_float())
    {
        const double value = aValue.get<double>();
        if (!std::isfinite(value) || std::fabs(value) > static_cast<double>(FLT_MAX))
        {
            throw ContentError("number " + aValue.dump() + " is out of range for a float");
        }
        return static_cast<float>(value);
    }
    if (aValue.is_number_unsigned())
    {
        return static_cast<float>(aValue.get<u64>());
    }
    if (aValue.is_number_integer())
    {
        return static_cast<float>(aValue.get<i64>());
    }
    if (aValue.is_boolean())
    {
        return aValue.get<bool>() ? 1.0f : 0.0f;
    }
    return aValue.get<float>();
}

bool ToBool(const Json& aValue)
{
    return aValue.get<bool>();
}

std::string_view ToStringView(const Json& aValue)
{
    if (!aValue.is_string())
    {
        (void)aValue.get<std::string>(); // "type must be string, but is ..."
    }
    return aValue.get_ref<const Json::string_t&>();
}

StringId Intern(std::string_view aText)
{
    return GetStringRegistry().TryRegisterString(aText).value_or(StringId());
}

StringId ToStringId(const Json& aValue)
{
    return Intern(ToStringView(aValue));
}
}
