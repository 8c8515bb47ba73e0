#include "scene/PropertyTypes.h"

#include "scene/JsonRead.h"
#include "stringRegistry/StringRegistry.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <cstring>
#include <new>
#include <string_view>
#include <unordered_map>

namespace Qel
{
namespace
{
using Json = nlohmann::json;

// Constant-initialised, so registration from static initialisers needs no ordering.
const PropertyTypeBase* gTypes[PropertyTypeRegistry::MAX_TYPES];
PropertyEditFunction gEditors[PropertyTypeRegistry::MAX_TYPES];
u32 gTypeCount = 0;
bool gFinalized = false;

std::unordered_map<StringId, const PropertyTypeBase*>& NameMap()
{
    // Never destroyed: lookups stay valid during exit.
    static auto* map = new std::unordered_map<StringId, const PropertyTypeBase*>();
    return *map;
}

constexpr const char* OBJECT_TAG_NAMES[OBJECT_TAG_COUNT] = {
    "Default", "Player", "Goal", "EnemyMiniOwl", "EnemyPipeMole", "EnemyBeetletank", "EnemyFlyingMiniOwl",
    "BlockBreakable", "BlockLucky", "BlockIndestructible", "PlatformMoving", "BatteryPickup", "ChestGrenadePickup",
    "ShieldPickup", "LifePickup", "Checkpoint", "ChestGrenade", "RotatingFireBar", "Parallax", "EventFan",
    "FanTrigger", "EntryZipline", "EndingCutscene", "BatterySpawn"};

// Names the file reader accepts: 11 to 14 only under their older names.
constexpr const char* OBJECT_TAG_FILE_NAMES[OBJECT_TAG_COUNT] = {
    "Default", "Player", "Goal", "EnemyMiniOwl", "EnemyPipeMole", "EnemyBeetletank", "EnemyFlyingMiniOwl",
    "BlockBreakable", "BlockLucky", "BlockIndestructible", "PlatformMoving", "Coin", "PowerupProjectile",
    "PowerupExtraHitpoint", "PowerupExtraLife", "Checkpoint", "ChestGrenade", "RotatingFireBar", "Parallax",
    "EventFan", "FanTrigger", "EntryZipline", "EndingCutscene", "BatterySpawn"};

constexpr const char* DROP_TYPE_NAMES[DROP_TYPE_COUNT] = {"Battery", "Powerup", "Life"};
constexpr const char* TILE_MATERIAL_NAMES[TILE_MATERIAL_COUNT] = {"Concrete", "Metal", "Hollow"};

bool CallEditor(const PropertyTypeBase& aType, void* aStorage, const char* aLabel, const char* aDescription)
{
    const PropertyEditFunction edit = gEditors[aType.GetIndex()];
    return edit ? edit(aStorage, aLabel, aDescription) : false;
}

template <class T>
T& As(void* aStorage)
{
    return *std::launder(static_cast<T*>(aStorage));
}
template <class T>
const T& As(const void* aStorage)
{
    return *std::launder(static_cast<const T*>(aStorage));
}

// Shared bodies where the machine representation is the same.
void ReadSmallEnum(void* aStorage, const Json& aValue)
{
    const i32 value = json_read::ToInt(aValue);
    new (aStorage) u8(static_cast<u8>(value & 0xFF));
}
void WriteSmallEnum(const void* aStorage, Json& aOut)
{
    aOut = static_cast<int>(As<u8>(aStorage));
}
template <class V, std::size_t N>
void ReadFloats(void* aStorage, const Json& aValue)
{
    if (!aValue.is_array())
    {
        (void)aValue[0]; // the library's 305 "cannot use operator[] with a numeric argument with ..."
    }
    float values[N];
    for (std::size_t i = 0; i < N; ++i)
    {
        values[i] = json_read::ToFloat(json_read::Element(aValue, i, N));
    }
    V* out = new (aStorage) V();
    std::memcpy(static_cast<void*>(out), values, sizeof(values));
}
template <class V, std::size_t N>
void WriteFloats(const void* aStorage, Json& aOut)
{
    static_assert(sizeof(V) == N * sizeof(float));
    float values[N];
    std::memcpy(values, aStorage, sizeof(values));
    aOut = Json::array();
    for (float value : values)
    {
        aOut.push_back(static_cast<double>(value));
    }
}

template <class T, class Read>
void ReadPooled(void* aStorage, const Json& aValue, Read aRead)
{
    auto* handle = new (aStorage) CopyOnWriteWrapper<T>(T{});
    try
    {
        aRead(*handle->GetMutable(), aValue);
    }
    catch (...)
    {
        handle->~CopyOnWriteWrapper<T>();
        throw;
    }
}
}

const char* GetObjectTagName(i32 aValue)
{
    return aValue >= 0 && aValue < OBJECT_TAG_COUNT ? OBJECT_TAG_NAMES[aValue] : nullptr;
}
const char* GetDropTypeName(i32 aValue)
{
    return aValue >= 0 && aValue < DROP_TYPE_COUNT ? DROP_TYPE_NAMES[aValue] : nullptr;
}
const char* GetTileMaterialName(i32 aValue)
{
    return aValue >= 0 && aValue < TILE_MATERIAL_COUNT ? TILE_MATERIAL_NAMES[aValue] : nullptr;
}

// ---- Registry ------------------------------------------------------------------------------

PropertyTypeBase::PropertyTypeBase(const char* aDisplayName) : myIndex(-1), myDisplayName(nullptr), myNameId()
{
    if (gFinalized || gTypeCount >= PropertyTypeRegistry::MAX_TYPES)
    {
        std::abort();
    }
    myDisplayName = aDisplayName;
    myIndex = static_cast<i32>(gTypeCount);
    gTypes[gTypeCount++] = this;
}

StringId PropertyTypeBase::GetName() const
{
    PropertyTypeRegistry::Finalize();
    return myNameId;
}

void PropertyTypeRegistry::Finalize()
{
    if (gFinalized)
    {
        return;
    }
    gFinalized = true;
    auto& map = NameMap();
    for (u32 i = 0; i < gTypeCount; ++i)
    {
        auto* type = const_cast<PropertyTypeBase*>(gTypes[i]);
        type->myNameId = StringId(std::string(type->myDisplayName));
        map[type->myNameId] = type;
    }
}

const PropertyTypeBase* PropertyTypeRegistry::FindByName(StringId aName)
{
    Finalize();
    const auto it = NameMap().find(aName);
    return it == NameMap().end() ? nullptr : it->second;
}

u32 PropertyTypeRegistry::GetCount()
{
    return gTypeCount;
}

const PropertyTypeBase* PropertyTypeRegistry::GetByIndex(u32 aIndex)
{
    return aIndex < gTypeCount ? gTypes[aIndex] : nullptr;
}

bool PropertyTypeRegistry::IsFinalized()
{
    return gFinalized;
}

void SetPropertyEditFunction(const PropertyTypeBase& aType, PropertyEditFunction aFunction)
{
    gEditors[aType.GetIndex()] = aFunction;
}

// ---- Lifetime bodies -----------------------------------------------------------------------

#define QEL_PLAIN_LIFETIME(TYPE)                                                                           \
    void PropertyType<TYPE>::DefaultConstruct(void* aStorage) const { new (aStorage) TYPE(); }            \
    void PropertyType<TYPE>::CopyConstruct(const void* aSource, void* aDestination) const                 \
    {                                                                                                      \
        new (aDestination) TYPE(As<TYPE>(aSource));                                                        \
    }                                                                                                      \
    void PropertyType<TYPE>::MoveConstruct(const void* aSource, void* aDestination) const                 \
    {                                                                                                      \
        CopyConstruct(aSource, aDestination);                                                              \
    }                                                                                                      \
    void PropertyType<TYPE>::Destroy(void*) const {}                                                      \
    bool PropertyType<TYPE>::ImGuiEdit(void* aStorage, const char* aLabel, const char* aDescription) const \
    {                                                                                                      \
        return CallEditor(*this, aStorage, aLabel, aDescription);                                          \
    }

#define QEL_POOLED_TYPE(ELEMENT, READ, WRITE)                                                                    \
    void PropertyType<CopyOnWriteWrapper<ELEMENT>>::DefaultConstruct(void* aStorage) const                      \
    {                                                                                                            \
        new (aStorage) CopyOnWriteWrapper<ELEMENT>();                                                            \
    }                                                                                                            \
    void PropertyType<CopyOnWriteWrapper<ELEMENT>>::CopyConstruct(const void* aSource, void* aDestination) const \
    {                                                                                                            \
        new (aDestination) CopyOnWriteWrapper<ELEMENT>(As<CopyOnWriteWrapper<ELEMENT>>(aSource));               \
    }                                                                                                            \
    void PropertyType<CopyOnWriteWrapper<ELEMENT>>::MoveConstruct(const void* aSource, void* aDestination) const \
    {                                                                                                            \
        CopyConstruct(aSource, aDestination);                                                                    \
    }                                                                                                            \
    void PropertyType<CopyOnWriteWrapper<ELEMENT>>::Destroy(void* aStorage) const                               \
    {                                                                                                            \
        As<CopyOnWriteWrapper<ELEMENT>>(aStorage).~CopyOnWriteWrapper<ELEMENT>();                               \
    }                                                                                                            \
    void PropertyType<CopyOnWriteWrapper<ELEMENT>>::ReadJson(void* aStorage, const Json& aValue) const          \
    {                                                                                                            \
        ReadPooled<ELEMENT>(aStorage, aValue, READ);                                                             \
    }                                                                                                            \
    void PropertyType<CopyOnWriteWrapper<ELEMENT>>::WriteJson(const void* aStorage, Json& aOut) const           \
    {                                                                                                            \
        WRITE(As<CopyOnWriteWrapper<ELEMENT>>(aStorage).Get(), aOut);                                           \
    }                                                                                                            \
    bool PropertyType<CopyOnWriteWrapper<ELEMENT>>::ImGuiEdit(void* aStorage, const char* aLabel,               \
                                                              const char* aDescription) const                   \
    {                                                                                                            \
        return CallEditor(*this, aStorage, aLabel, aDescription);                                                \
    }

QEL_PLAIN_LIFETIME(ObjectTag)
QEL_PLAIN_LIFETIME(PoseAndMotion)
QEL_PLAIN_LIFETIME(DropType)
QEL_PLAIN_LIFETIME(TileMaterial)
QEL_PLAIN_LIFETIME(bool)
QEL_PLAIN_LIFETIME(i32)
QEL_PLAIN_LIFETIME(float)
QEL_PLAIN_LIFETIME(Vector2<float>)
QEL_PLAIN_LIFETIME(Vector3<float>)
QEL_PLAIN_LIFETIME(Vector4<float>)
QEL_PLAIN_LIFETIME(Color)
QEL_PLAIN_LIFETIME(StringId)

QEL_POOLED_TYPE(SceneModel, ReadSceneModelJson, WriteSceneModelJson)
QEL_POOLED_TYPE(SceneSprite, ReadSceneSpriteJson, WriteSceneSpriteJson)
QEL_POOLED_TYPE(SceneReference,
                [](SceneReference& aRef, const Json& aValue) { ReadPathReferenceJson(aRef.myPath, aValue, "scene_path"); },
                [](const SceneReference& aRef, Json& aOut) { WritePathReferenceJson(aRef.myPath, aOut, "scene_path"); })
QEL_POOLED_TYPE(AnimationClipReference,
                [](AnimationClipReference& aRef, const Json& aValue) { ReadPathReferenceJson(aRef.myPath, aValue, "clip_path"); },
                [](const AnimationClipReference& aRef, Json& aOut) { WritePathReferenceJson(aRef.myPath, aOut, "clip_path"); })
QEL_POOLED_TYPE(ParticleSystemReference,
                [](ParticleSystemReference& aRef, const Json& aValue) {
                    ReadPathReferenceJson(aRef.myPath, aValue, "particleSystemPath");
                },
                [](const ParticleSystemReference& aRef, Json& aOut) {
                    WritePathReferenceJson(aRef.myPath, aOut, "particleSystemPath");
                })
QEL_POOLED_TYPE(ObjectReference,
                [](ObjectReference& aRef, const Json& aValue) { ReadPathReferenceJson(aRef.myPath, aValue, "path"); },
                [](const ObjectReference& aRef, Json& aOut) { WritePathReferenceJson(aRef.myPath, aOut, "path"); })

#undef QEL_PLAIN_LIFETIME
#undef QEL_POOLED_TYPE

// ---- JSON forms of the plain types ---------------------------------------------------------

void PropertyType<ObjectTag>::ReadJson(void* aStorage, const Json& aValue) const
{
    i32 value = 0;
    if (aValue.is_number_integer())
    {
        value = json_read::ToInt(aValue); // any 32-bit value, no check against the names
    }
    else if (aValue.is_string())
    {
        const std::string_view name = aValue.get_ref<const Json::string_t&>();
        for (i32 i = 0; i < OBJECT_TAG_COUNT; ++i)
        {
            if (name == OBJECT_TAG_FILE_NAMES[i])
            {
                value = i;
                break;
            }
        }
    }
    new (aStorage) ObjectTag(static_cast<ObjectTag>(value));
}
void PropertyType<ObjectTag>::WriteJson(const void* aStorage, Json& aOut) const
{
    aOut = static_cast<i32>(As<ObjectTag>(aStorage));
}

void PropertyType<PoseAndMotion>::ReadJson(void* aStorage, const Json&) const
{
    new (aStorage) PoseAndMotion();
}
void PropertyType<PoseAndMotion>::WriteJson(const void*, Json& aOut) const
{
    aOut = nullptr;
}

void PropertyType<DropType>::ReadJson(void* aStorage, const Json& aValue) const
{
    ReadSmallEnum(aStorage, aValue);
}
void PropertyType<DropType>::WriteJson(const void* aStorage, Json& aOut) const
{
    WriteSmallEnum(aStorage, aOut);
}
void PropertyType<TileMaterial>::ReadJson(void* aStorage, const Json& aValue) const
{
    ReadSmallEnum(aStorage, aValue);
}
void PropertyType<TileMaterial>::WriteJson(const void* aStorage, Json& aOut) const
{
    WriteSmallEnum(aStorage, aOut);
}

void PropertyType<bool>::ReadJson(void* aStorage, const Json& aValue) const
{
    new (aStorage) bool(json_read::ToBool(aValue));
}
void PropertyType<bool>::WriteJson(const void* aStorage, Json& aOut) const
{
    aOut = As<bool>(aStorage);
}

void PropertyType<i32>::ReadJson(void* aStorage, const Json& aValue) const
{
    new (aStorage) i32(json_read::ToInt(aValue));
}
void PropertyType<i32>::WriteJson(const void* aStorage, Json& aOut) const
{
    aOut = As<i32>(aStorage);
}

void PropertyType<float>::ReadJson(void* aStorage, const Json& aValue) const
{
    new (aStorage) float(json_read::ToFloat(aValue));
}
void PropertyType<float>::WriteJson(const void* aStorage, Json& aOut) const
{
    aOut = static_cast<double>(As<float>(aStorage));
}

void PropertyType<Vector2<float>>::ReadJson(void* aStorage, const Json& aValue) const
{
    ReadFloats<Vector2<float>, 2>(aStorage, aValue);
}
void PropertyType<Vector2<float>>::WriteJson(const void* aStorage, Json& aOut) const
{
    WriteFloats<Vector2<float>, 2>(aStorage, aOut);
}
void PropertyType<Vector3<float>>::ReadJson(void* aStorage, const Json& aValue) const
{
    ReadFloats<Vector3<float>, 3>(aStorage, aValue);
}
void PropertyType<Vector3<float>>::WriteJson(const void* aStorage, Json& aOut) const
{
    WriteFloats<Vector3<float>, 3>(aStorage, aOut);
}
void PropertyType<Vector4<float>>::ReadJson(void* aStorage, const Json& aValue) const
{
    ReadFloats<Vector4<float>, 4>(aStorage, aValue);
}
void PropertyType<Vector4<float>>::WriteJson(const void* aStorage, Json& aOut) const
{
    WriteFloats<Vector4<float>, 4>(aStorage, aOut);
}
// Colour shares the four-float form.
void PropertyType<Color>::ReadJson(void* aStorage, const Json& aValue) const
{
    ReadFloats<Color, 4>(aStorage, aValue);
}
void PropertyType<Color>::WriteJson(const void* aStorage, Json& aOut) const
{
    WriteFloats<Color, 4>(aStorage, aOut);
}

void PropertyType<StringId>::ReadJson(void* aStorage, const Json& aValue) const
{
    new (aStorage) StringId(json_read::ToStringId(aValue));
}
void PropertyType<StringId>::WriteJson(const void* aStorage, Json& aOut) const
{
    aOut = std::string(As<StringId>(aStorage).GetView());
}

// ---- The eighteen descriptors, in registration order ---------------------------------------
// Explicit specialisations in one file: initialised in this order, so the indices are fixed.

const PropertyType<ObjectTag> PropertyType<ObjectTag>::ourInstance("Object Tag");
const PropertyType<CopyOnWriteWrapper<SceneModel>> PropertyType<CopyOnWriteWrapper<SceneModel>>::ourInstance("Model");
const PropertyType<CopyOnWriteWrapper<SceneSprite>> PropertyType<CopyOnWriteWrapper<SceneSprite>>::ourInstance("Sprite");
const PropertyType<CopyOnWriteWrapper<SceneReference>> PropertyType<CopyOnWriteWrapper<SceneReference>>::ourInstance("Scene");
const PropertyType<CopyOnWriteWrapper<AnimationClipReference>>
    PropertyType<CopyOnWriteWrapper<AnimationClipReference>>::ourInstance("Animation Clip");
const PropertyType<PoseAndMotion> PropertyType<PoseAndMotion>::ourInstance("Pose");
const PropertyType<CopyOnWriteWrapper<ParticleSystemReference>>
    PropertyType<CopyOnWriteWrapper<ParticleSystemReference>>::ourInstance("Particle System");
const PropertyType<CopyOnWriteWrapper<ObjectReference>> PropertyType<CopyOnWriteWrapper<ObjectReference>>::ourInstance("Object");
const PropertyType<DropType> PropertyType<DropType>::ourInstance("DropType");
const PropertyType<TileMaterial> PropertyType<TileMaterial>::ourInstance("TileMaterial");
const PropertyType<bool> PropertyType<bool>::ourInstance("Bool");
const PropertyType<i32> PropertyType<i32>::ourInstance("Int");
const PropertyType<float> PropertyType<float>::ourInstance("Float");
const PropertyType<Vector2<float>> PropertyType<Vector2<float>>::ourInstance("Float2");
const PropertyType<Vector3<float>> PropertyType<Vector3<float>>::ourInstance("Float3");
const PropertyType<Vector4<float>> PropertyType<Vector4<float>>::ourInstance("Float4");
const PropertyType<Color> PropertyType<Color>::ourInstance("Color");
const PropertyType<StringId> PropertyType<StringId>::ourInstance("StringId");
}
