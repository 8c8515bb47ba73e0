#pragma once
#include "core/Types.h"
#include "math/Color.h"
#include "math/Vector.h"
#include "scene/CopyOnWrite.h"
#include "scene/SceneAssets.h"
#include "stringRegistry/StringId.h"

#include <nlohmann/json_fwd.hpp>

#include <cstddef>

namespace Qel
{
// What a scene object is; the game's object factory switches on it.
enum class ObjectTag : i32
{
    Default = 0,
    Player = 1,
    Goal = 2,
    EnemyMiniOwl = 3,
    EnemyPipeMole = 4,
    EnemyBeetletank = 5,
    EnemyFlyingMiniOwl = 6,
    BlockBreakable = 7,
    BlockLucky = 8,
    BlockIndestructible = 9,
    PlatformMoving = 10,
    BatteryPickup = 11,
    ChestGrenadePickup = 12,
    ShieldPickup = 13,
    LifePickup = 14,
    Checkpoint = 15,
    ChestGrenade = 16,
    RotatingFireBar = 17,
    Parallax = 18,
    EventFan = 19,
    FanTrigger = 20,
    EntryZipline = 21,
    EndingCutscene = 22,
    BatterySpawn = 23,
};
inline constexpr i32 OBJECT_TAG_COUNT = 24;

enum class DropType : u8
{
    Battery = 0,
    Powerup = 1,
    Life = 2,
};
inline constexpr i32 DROP_TYPE_COUNT = 3;

enum class TileMaterial : u8
{
    Concrete = 0,
    Metal = 1,
    Hollow = 2,
};
inline constexpr i32 TILE_MATERIAL_COUNT = 3;

// Editor names in value order (the editor's labels, also used in messages).
const char* GetObjectTagName(i32 aValue);   // null outside 0..23
const char* GetDropTypeName(i32 aValue);    // null outside 0..2
const char* GetTileMaterialName(i32 aValue); // null outside 0..2

// Opaque 16 bytes nothing reads: zeroed, copied bytewise, written as null.
struct alignas(16) PoseAndMotion
{
    u8 myBytes[16] = {};
    bool operator==(const PoseAndMotion&) const = default;
};

// One descriptor per value type; a type's identity is the address of its descriptor.
// No virtual destructor on purpose: descriptors are statics with trivial destructors, so values
// destroyed late at exit (the definition registry's) still find a live vtable.
class PropertyTypeBase
{
public:
    PropertyTypeBase(const PropertyTypeBase&) = delete;
    PropertyTypeBase& operator=(const PropertyTypeBase&) = delete;

    virtual void DefaultConstruct(void* aStorage) const = 0;
    virtual void CopyConstruct(const void* aSource, void* aDestination) const = 0;
    virtual void MoveConstruct(const void* aSource, void* aDestination) const = 0;
    virtual void Destroy(void* aStorage) const = 0;
    // aStorage holds no live value; throws on bad JSON (after which it still holds none).
    virtual void ReadJson(void* aStorage, const nlohmann::json& aValue) const = 0;
    virtual void WriteJson(const void* aStorage, nlohmann::json& aOut) const = 0;
    // Editor widget (property editors library); false when no editor is installed.
    virtual bool ImGuiEdit(void* aStorage, const char* aLabel, const char* aDescription) const = 0;

    StringId GetName() const;
    const char* GetDisplayName() const { return myDisplayName; }
    i32 GetIndex() const { return myIndex; }

protected:
    // Registers the descriptor; aborts when the registry is finalised or full.
    explicit PropertyTypeBase(const char* aDisplayName);
    ~PropertyTypeBase() = default;

private:
    friend struct PropertyTypeRegistry;
    i32 myIndex;
    const char* myDisplayName;
    StringId myNameId;
};

struct PropertyTypeRegistry
{
    static constexpr u32 MAX_TYPES = 512;

    // Interns every name and builds the lookup; registration aborts afterwards.
    static void Finalize();
    // Exact, case-sensitive display name; null when no type has it.
    static const PropertyTypeBase* FindByName(StringId aName);
    static u32 GetCount();
    static const PropertyTypeBase* GetByIndex(u32 aIndex);
    static bool IsFinalized();
};

// Editor hook: the property editors library fills one function per type index.
using PropertyEditFunction = bool (*)(void* aStorage, const char* aLabel, const char* aDescription);
void SetPropertyEditFunction(const PropertyTypeBase& aType, PropertyEditFunction aFunction);

template <class T>
struct PropertyType;

#define QEL_DECLARE_PROPERTY_TYPE(TYPE)                                                         \
    template <>                                                                                 \
    struct PropertyType<TYPE> final : PropertyTypeBase                                          \
    {                                                                                           \
        using ValueType = TYPE;                                                                 \
        explicit PropertyType(const char* aDisplayName) : PropertyTypeBase(aDisplayName) {}     \
        void DefaultConstruct(void* aStorage) const override;                                   \
        void CopyConstruct(const void* aSource, void* aDestination) const override;             \
        void MoveConstruct(const void* aSource, void* aDestination) const override;             \
        void Destroy(void* aStorage) const override;                                            \
        void ReadJson(void* aStorage, const nlohmann::json& aValue) const override;             \
        void WriteJson(const void* aStorage, nlohmann::json& aOut) const override;              \
        bool ImGuiEdit(void* aStorage, const char* aLabel, const char* aDescription) const override; \
        static const PropertyType ourInstance;                                                  \
    }

QEL_DECLARE_PROPERTY_TYPE(ObjectTag);
QEL_DECLARE_PROPERTY_TYPE(CopyOnWriteWrapper<SceneModel>);
QEL_DECLARE_PROPERTY_TYPE(CopyOnWriteWrapper<SceneSprite>);
QEL_DECLARE_PROPERTY_TYPE(CopyOnWriteWrapper<SceneReference>);
QEL_DECLARE_PROPERTY_TYPE(CopyOnWriteWrapper<AnimationClipReference>);
QEL_DECLARE_PROPERTY_TYPE(PoseAndMotion);
QEL_DECLARE_PROPERTY_TYPE(CopyOnWriteWrapper<ParticleSystemReference>);
QEL_DECLARE_PROPERTY_TYPE(CopyOnWriteWrapper<ObjectReference>);
QEL_DECLARE_PROPERTY_TYPE(DropType);
QEL_DECLARE_PROPERTY_TYPE(TileMaterial);
QEL_DECLARE_PROPERTY_TYPE(bool);
QEL_DECLARE_PROPERTY_TYPE(i32);
QEL_DECLARE_PROPERTY_TYPE(float);
QEL_DECLARE_PROPERTY_TYPE(Vector2<float>);
QEL_DECLARE_PROPERTY_TYPE(Vector3<float>);
QEL_DECLARE_PROPERTY_TYPE(Vector4<float>);
QEL_DECLARE_PROPERTY_TYPE(Color);
QEL_DECLARE_PROPERTY_TYPE(StringId);

#undef QEL_DECLARE_PROPERTY_TYPE

// The descriptor of T: compare a record's type with this.
template <class T>
const PropertyTypeBase* GetPropertyType()
{
    return &PropertyType<T>::ourInstance;
}

// Short names for the pooled value types as properties hold them.
using ModelValue = CopyOnWriteWrapper<SceneModel>;
using SpriteValue = CopyOnWriteWrapper<SceneSprite>;
using SceneReferenceValue = CopyOnWriteWrapper<SceneReference>;
using AnimationClipValue = CopyOnWriteWrapper<AnimationClipReference>;
using ParticleSystemValue = CopyOnWriteWrapper<ParticleSystemReference>;
using ObjectReferenceValue = CopyOnWriteWrapper<ObjectReference>;
}
