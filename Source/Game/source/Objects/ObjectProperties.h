#pragma once
// Reading a scene object's merged property list: by name and type, or the first of a type, and
// the particle systems of the fixed helper definitions (QLO_PickupVFX and the like).
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"
#include "scene/SceneAssets.h"

#include <cstddef>
#include <string_view>

namespace Qel
{
class ParticleSystem;
}

namespace ObjectProperties
{
template <class T>
const T* Find(const Qel::PropertyRecord* aProperties, std::size_t aCount, std::string_view aName)
{
    for (std::size_t i = 0; i < aCount; ++i)
    {
        const Qel::PropertyRecord& record = aProperties[i];
        if (record.myType == Qel::GetPropertyType<T>() && record.myName.GetView() == aName)
            return record.myValue.TryGet<T>();
    }
    return nullptr;
}

// The first record of type T whose name is not aExcept.
template <class T>
const T* FindFirst(const Qel::PropertyRecord* aProperties, std::size_t aCount, std::string_view aExcept = {})
{
    for (std::size_t i = 0; i < aCount; ++i)
    {
        const Qel::PropertyRecord& record = aProperties[i];
        if (record.myType == Qel::GetPropertyType<T>() && (aExcept.empty() || record.myName.GetView() != aExcept))
            return record.myValue.TryGet<T>();
    }
    return nullptr;
}

float GetFloat(const Qel::PropertyRecord* aProperties, std::size_t aCount, std::string_view aName, float aDefault);

// The scene model of the first model record (or of the one named aName); null when none.
const Qel::SceneModel* FindModel(const Qel::PropertyRecord* aProperties, std::size_t aCount,
                                 std::string_view aName = {});
// The path of the named clip record; empty when none.
Qel::StringId FindClipPath(const Qel::PropertyRecord* aProperties, std::size_t aCount, std::string_view aName);
// The named particle system of a property list (null when none or it does not resolve).
Qel::ParticleSystem* FindParticleSystem(const Qel::PropertyRecord* aProperties, std::size_t aCount,
                                        std::string_view aName);
// The named particle system of the object definition named aDefinition (null when either is missing).
Qel::ParticleSystem* FindDefinitionParticleSystem(std::string_view aDefinition, std::string_view aName);
}
