#pragma once
// The object factory's builders for pickups, grenades and the scripted objects: each makes one
// record of its kind from a scene object and puts it into the world's list.
#include "core/Types.h"
#include "math/Matrix4x4.h"

#include <cstddef>

class GameWorld;
namespace Qel
{
struct PropertyRecord;
}

namespace ObjectBuilders
{
using Signature = void(GameWorld& aWorld, Qel::u32 aTag, const Qel::Matrix4x4& aTransform,
                       const Qel::PropertyRecord* aProperties, std::size_t aCount);
Signature BuildGoal;
Signature BuildBatteryPickup;
Signature BuildPickup;  // tags 12 to 14
Signature BuildCheckpoint;
Signature BuildChestGrenade;
Signature BuildParallax;
Signature BuildEventFan;
Signature BuildFanTrigger;
Signature BuildEntryZipline;
Signature BuildEndingCutscene;
Signature BuildBatterySpawn;
}
