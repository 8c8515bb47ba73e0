// Blocks and platforms from scene objects.
#include "TileMap.h"

#include "TileBehavior.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"

#include <cmath>
#include <cstdio>

namespace
{
const char* TagName(Qel::u32 aTag)
{
    const char* name = Qel::GetObjectTagName(static_cast<Qel::i32>(aTag));
    return name ? name : "Block";
}

Qel::StringId ReferencePath(const Qel::PropertyRecord& aRecord)
{
    if (aRecord.myType != Qel::GetPropertyType<Qel::ObjectReferenceValue>())
        return {};
    const Qel::ObjectReferenceValue* value = aRecord.myValue.TryGet<Qel::ObjectReferenceValue>();
    return value ? value->Get().myPath : Qel::StringId();
}

// A block's size in cells: 1 up to the grid's size; anything else is clamped with a message.
Qel::i32 ClampSpan(Qel::i32 aValue, Qel::i32 aLimit, const char* aKey, const char* aWhere)
{
    if (aValue >= 1 && aValue <= aLimit)
        return aValue;
    const Qel::i32 clamped = aValue < 1 ? 1 : aLimit;
    std::printf("%s: %s %d is outside 1..%d; using %d.\n", aWhere, aKey, aValue, aLimit, clamped);
    return clamped;
}
}

void TileMap::AddTileFromSceneObject(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties,
                                     std::size_t aCount, Qel::u32 aTag)
{
    const Qel::Vector3f t = aTransform.GetTranslation();
    char where[128];
    std::snprintf(where, sizeof(where), "%s at (%g, %g)", TagName(aTag), t.x, t.y);

    if (aTag == TILE_TAG_PLATFORM)
    {
        MovingPlatform platform;
        platform.Init(aTransform, aProperties, aCount);
        platform.InitTargets();
        myMovingPlatforms.push_back(platform);
        return;
    }
    if (aTag < TILE_TAG_BREAKABLE || aTag > TILE_TAG_INDESTRUCTIBLE)
    {
        std::printf("%s: not a block kind; skipped.\n", where);
        return;
    }

    TileDescription tile;
    Qel::i32 width = 1, height = 1;
    Qel::u8 dropKind = 0;
    Qel::StringId chestGrenade, shield, battery, life, replaceBlock;
    // The block's model snaps to the grid and is drawn 1 % larger; the snapped placement is kept
    // even without a model, since the block's bump moves it.
    Qel::Matrix4x4 snapped = aTransform;
    for (int row = 1; row <= 3; ++row)
        snapped.SetRow(row, aTransform.GetRow(row) * 1.01f);
    snapped.SetTranslation({std::round(t.x / CELL_SIZE) * CELL_SIZE, std::round(t.y / CELL_SIZE) * CELL_SIZE, t.z});
    tile.myVisual.SetTransform(snapped);

    for (std::size_t i = 0; i < aCount; ++i)
    {
        const Qel::PropertyRecord& record = aProperties[i];
        if (record.myType == Qel::GetPropertyType<Qel::ModelValue>())
        {
            if (const Qel::ModelValue* model = record.myValue.TryGet<Qel::ModelValue>())
            {
                SetupModelInstance(tile.myVisual, *model, aTransform);
                tile.myVisual.SetTransform(snapped);
            }
        }
        else if (record.myType == Qel::GetPropertyType<Qel::i32>() && record.myName == Qel::StringId("TileWidth"))
        {
            if (const Qel::i32* value = record.myValue.TryGet<Qel::i32>())
                width = *value;
        }
        else if (record.myType == Qel::GetPropertyType<Qel::i32>() && record.myName == Qel::StringId("TileHeight"))
        {
            if (const Qel::i32* value = record.myValue.TryGet<Qel::i32>())
                height = *value;
        }
        else if (record.myName == Qel::StringId("ChestGrenadeDrop"))
            chestGrenade = ReferencePath(record);
        else if (record.myName == Qel::StringId("ShieldDrop"))
            shield = ReferencePath(record);
        else if (record.myName == Qel::StringId("BatterySpawn"))
            battery = ReferencePath(record);
        else if (record.myName == Qel::StringId("LifeDrop"))
            life = ReferencePath(record);
        else if (record.myName == Qel::StringId("ReplaceBlock"))
            replaceBlock = ReferencePath(record);
        else if (record.myType == Qel::GetPropertyType<Qel::DropType>())
        {
            if (const Qel::DropType* value = record.myValue.TryGet<Qel::DropType>())
            {
                const Qel::i32 kind = static_cast<Qel::i32>(*value);
                if (kind >= 0 && kind < Qel::DROP_TYPE_COUNT)
                    dropKind = static_cast<Qel::u8>(kind);
                else
                {
                    std::printf("%s: drop type %d is not one of Battery, Powerup, Life; using Battery.\n", where, kind);
                    dropKind = 0;
                }
            }
        }
        else if (record.myType == Qel::GetPropertyType<Qel::TileMaterial>())
        {
            if (const Qel::TileMaterial* value = record.myValue.TryGet<Qel::TileMaterial>())
            {
                const Qel::i32 material = static_cast<Qel::i32>(*value);
                if (material >= 0 && material < Qel::TILE_MATERIAL_COUNT)
                    tile.myMaterial = static_cast<Qel::u8>(material);
                else
                {
                    std::printf("%s: tile material %d is not one of Concrete, Metal, Hollow; using Concrete.\n",
                                where, material);
                    tile.myMaterial = 0;
                }
            }
        }
    }
    tile.myWidth = ClampSpan(width, GRID_COLUMNS, "TileWidth", where);
    tile.myHeight = ClampSpan(height, GRID_ROWS, "TileHeight", where);

    const Qel::Vector3f rest{t.x, t.y, t.z};
    std::unique_ptr<TileBehavior> behavior;
    if (aTag == TILE_TAG_BREAKABLE)
    {
        auto breakable = std::make_unique<BreakableTile>();
        breakable->SetHitbox(rest);
        behavior = std::move(breakable);
    }
    else if (aTag == TILE_TAG_LUCKY)
    {
        auto lucky = std::make_unique<LuckyTile>();
        lucky->SetDropKind(dropKind);
        lucky->SetHitbox(rest);
        lucky->SetReplaceBlock(replaceBlock);
        lucky->SetDrops(chestGrenade, shield, battery, life);
        behavior = std::move(lucky);
    }
    else
        behavior = std::make_unique<SolidTile>();

    if (!IsInside(AddTile(aTransform, tile, std::move(behavior))))
        std::printf("%s lies outside the tile grid (x %g..%g, y %g..%g); skipped.\n", where, GRID_MIN_X,
                    GRID_MIN_X + GRID_COLUMNS * CELL_SIZE, GRID_MIN_Y, GRID_MIN_Y + GRID_ROWS * CELL_SIZE);
}
