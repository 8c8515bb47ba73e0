#include "scene/PropertyValue.h"

#include <nlohmann/json.hpp>

namespace Qel
{
PropertyValue::PropertyValue(const PropertyTypeBase* aType, const nlohmann::json& aValue)
{
    QEL_ASSERT(aType != nullptr);
    // A reader that throws leaves nothing constructed, so the value stays empty.
    aType->ReadJson(myStorage, aValue);
    myType = aType;
}

PropertyValue::PropertyValue(const PropertyValue& aOther) : myType(aOther.myType)
{
    if (myType)
    {
        myType->CopyConstruct(aOther.myStorage, myStorage);
    }
}

PropertyValue::PropertyValue(PropertyValue&& aOther) : myType(aOther.myType)
{
    if (myType)
    {
        myType->MoveConstruct(aOther.myStorage, myStorage);
    }
}

PropertyValue& PropertyValue::operator=(const PropertyValue& aOther)
{
    if (this == &aOther)
    {
        return *this; // destroying first would release what is about to be copied
    }
    Reset();
    if (aOther.myType)
    {
        aOther.myType->CopyConstruct(aOther.myStorage, myStorage);
        myType = aOther.myType;
    }
    return *this;
}

PropertyValue& PropertyValue::operator=(PropertyValue&& aOther)
{
    if (this == &aOther)
    {
        return *this;
    }
    Reset();
    if (aOther.myType)
    {
        aOther.myType->MoveConstruct(aOther.myStorage, myStorage);
        myType = aOther.myType;
    }
    return *this;
}

PropertyValue::~PropertyValue()
{
    Reset();
}

PropertyValue PropertyValue::MakeDefault(const PropertyTypeBase* aType)
{
    PropertyValue value;
    if (aType)
    {
        aType->DefaultConstruct(value.myStorage);
        value.myType = aType;
    }
    return value;
}

void PropertyValue::Reset()
{
    if (myType)
    {
        myType->Destroy(myStorage);
        myType = nullptr;
        std::memset(myStorage, 0, sizeof(myStorage));
    }
}

void PropertyValue::WriteJson(nlohmann::json& aOut) const
{
    if (myType)
    {
        myType->WriteJson(myStorage, aOut);
    }
    else
    {
        aOut = nullptr;
    }
}

bool PropertyValue::ImGuiEdit(const char* aLabel, const char* aDescription)
{
    return myType ? myType->ImGuiEdit(myStorage, aLabel, aDescription) : false;
}
}
