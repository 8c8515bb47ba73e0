#pragma once
#include "core/Assert.h"
#include "core/Types.h"
#include "scene/PropertyTypes.h"
#include "stringRegistry/StringId.h"

#include <nlohmann/json_fwd.hpp>

#include <cstring>
#include <new>
#include <vector>

namespace Qel
{
// Any registered type, held inline; every lifetime step goes through its descriptor.
class PropertyValue
{
public:
    static constexpr std::size_t STORAGE_SIZE = 16;

    PropertyValue() = default;
    // Reads aType's JSON form; throws (and holds nothing) when the JSON does not fit.
    PropertyValue(const PropertyTypeBase* aType, const nlohmann::json& aValue);
    PropertyValue(const PropertyValue& aOther);
    // Same as a copy: the source keeps its value (for a pooled reference, one more reference).
    PropertyValue(PropertyValue&& aOther);
    PropertyValue& operator=(const PropertyValue& aOther);
    PropertyValue& operator=(PropertyValue&& aOther);
    ~PropertyValue();

    // A value of T (its descriptor's default when no value is given).
    template <class T>
    static PropertyValue Make(const T& aValue)
    {
        PropertyValue value;
        value.myType = GetPropertyType<T>();
        new (value.myStorage) T(aValue);
        return value;
    }
    static PropertyValue MakeDefault(const PropertyTypeBase* aType);

    const PropertyTypeBase* GetType() const { return myType; }
    bool IsEmpty() const { return myType == nullptr; }
    void Reset();

    void WriteJson(nlohmann::json& aOut) const;
    bool ImGuiEdit(const char* aLabel, const char* aDescription);

    // Typed access; T must be the held type.
    template <class T>
    const T& Get() const
    {
        QEL_ASSERT(myType == GetPropertyType<T>());
        return *std::launder(reinterpret_cast<const T*>(myStorage));
    }
    template <class T>
    T& Get()
    {
        QEL_ASSERT(myType == GetPropertyType<T>());
        return *std::launder(reinterpret_cast<T*>(myStorage));
    }
    // Null when another type (or nothing) is held.
    template <class T>
    const T* TryGet() const
    {
        return myType == GetPropertyType<T>() ? std::launder(reinterpret_cast<const T*>(myStorage)) : nullptr;
    }
    template <class T>
    T* TryGet()
    {
        return myType == GetPropertyType<T>() ? std::launder(reinterpret_cast<T*>(myStorage)) : nullptr;
    }

    void* GetStorage() { return myStorage; }
    const void* GetStorage() const { return myStorage; }

private:
    alignas(16) unsigned char myStorage[STORAGE_SIZE] = {};
    const PropertyTypeBase* myType = nullptr;
};

enum PropertyFlags : u8
{
    PROPERTY_FLAG_DYNAMIC = 1,
    PROPERTY_FLAG_PER_INSTANCE = 2,
};

// One named entry of a property list; (name, type) identifies it.
struct PropertyRecord
{
    StringId myName;
    const PropertyTypeBase* myType = nullptr;
    PropertyValue myValue;
    u8 myFlags = 0;
    StringId myGroup;
    StringId myDescription;

    bool IsDynamic() const { return (myFlags & PROPERTY_FLAG_DYNAMIC) != 0; }
    bool IsPerInstance() const { return (myFlags & PROPERTY_FLAG_PER_INSTANCE) != 0; }
};

// First record with this name and type; null when none.
template <class T>
const T* FindProperty(const std::vector<PropertyRecord>& aRecords, StringId aName)
{
    for (const PropertyRecord& record : aRecords)
    {
        if (record.myName == aName && record.myType == GetPropertyType<T>())
        {
            return record.myValue.TryGet<T>();
        }
    }
    return nullptr;
}
}
