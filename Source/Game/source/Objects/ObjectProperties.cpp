#include "Objects/ObjectProperties.h"

#include "scene/ObjectDefinition.h"

#include <string>

namespace ObjectProperties
{
float GetFloat(const Qel::PropertyRecord* aProperties, std::size_t aCount, std::string_view aName, float aDefault)
{
    const float* value = Find<float>(aProperties, aCount, aName);
    return value ? *value : aDefault;
}

const Qel::SceneModel* FindModel(const Qel::PropertyRecord* aProperties, std::size_t aCount, std::string_view aName)
{
    const Qel::ModelValue* model = aName.empty() ? FindFirst<Qel::ModelValue>(aProperties, aCount)
                                                 : Find<Qel::ModelValue>(aProperties, aCount, aName);
    return model ? &model->Get() : nullptr;
}

Qel::StringId FindClipPath(const Qel::PropertyRecord* aProperties, std::size_t aCount, std::string_view aName)
{
    const Qel::AnimationClipValue* clip = Find<Qel::AnimationClipValue>(aProperties, aCount, aName);
    return clip ? clip->Get().myPath : Qel::StringId();
}

Qel::ParticleSystem* FindParticleSystem(const Qel::PropertyRecord* aProperties, std::size_t aCount,
                                        std::string_view aName)
{
    const Qel::ParticleSystemValue* system = Find<Qel::ParticleSystemValue>(aProperties, aCount, aName);
    if (!system || system->Get().myPath.IsEmpty())
        return nullptr;
    return system->Get().Resolve();
}

Qel::ParticleSystem* FindDefinitionParticleSystem(std::string_view aDefinition, std::string_view aName)
{
    const Qel::ObjectDefinition* definition =
        Qel::GetObjectDefinitionManager().Find(Qel::StringId(std::string(aDefinition)));
    if (!definition)
        return nullptr;
    return FindParticleSystem(definition->myProperties.data(), definition->myProperties.size(), aName);
}
}
