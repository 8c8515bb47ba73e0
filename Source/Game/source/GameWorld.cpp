#include "GameWorld.h"

#include "math/Camera.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"

#include <algorithm>
#include <cstdio>

GameWorld::GameWorld() = default;
GameWorld::~GameWorld() = default;

Qel::i32 ReadObjectTag(const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    for (std::size_t i = 0; i < aCount; ++i)
    {
        if (aProperties[i].myType != Qel::GetPropertyType<Qel::ObjectTag>())
            continue;
        const Qel::ObjectTag* tag = aProperties[i].myValue.TryGet<Qel::ObjectTag>();
        return tag ? static_cast<Qel::i32>(*tag) : 0;
    }
    return 0;
}

void GameWorld::CreateObject(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties,
                             std::size_t aCount)
{
    const Qel::i32 tag = ReadObjectTag(aProperties, aCount);
    if (tag >= static_cast<Qel::i32>(TILE_TAG_BREAKABLE) && tag <= static_cast<Qel::i32>(TILE_TAG_PLATFORM))
    {
        myTileMap.AddTileFromSceneObject(aTransform, aProperties, aCount, static_cast<Qel::u32>(tag));
        return;
    }
    if (myCreateOtherKind)
    {
        myCreateOtherKind(tag, aTransform, aProperties, aCount);
        return;
    }
    if (std::find(myReportedKinds.begin(), myReportedKinds.end(), tag) == myReportedKinds.end())
    {
        myReportedKinds.push_back(tag);
        const char* name = Qel::GetObjectTagName(tag);
        std::printf("Objects of kind %s (%d) are not built yet; skipped.\n", name ? name : "unknown", tag);
    }
}
