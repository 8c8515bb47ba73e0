#include "Objects/BeetleTankProjectile.h"

#include "GameWorld.h"
#include "Objects/EnemyCommon.h"

#include "scene/ObjectDefinition.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"
#include "scene/SceneAssets.h"

#include <algorithm>

namespace
{
// The part of a move (0 to 1) at the middle of the stretch where aBox, moved by (aDx, aDy),
// overlaps aTarget; -1 when it never does, or still does at the end.
float MiddleOfPassage(const Box& aBox, float aDx, float aDy, const Box& aTarget)
{
    if (!aBox.HasArea() || !aTarget.HasArea())
        return -1.0f;
    float enter = 0.0f;
    float leave = 1.0f;
    const float from[2] = {aBox.myPosition.x, aBox.myPosition.y};
    const float by[2] = {aDx, aDy};
    const float to[2] = {aTarget.myPosition.x, aTarget.myPosition.y};
    const float reach[2] = {(aBox.mySize.x + aTarget.mySize.x) / 2, (aBox.mySize.y + aTarget.mySize.y) / 2};
    for (int axis = 0; axis < 2; ++axis)
    {
        const float low = to[axis] - reach[axis] - from[axis];
        const float high = to[axis] + reach[axis] - from[axis];
        if (by[axis] == 0.0f)
        {
            if (!(low < 0.0f && 0.0f < high))
                return -1.0f;
            continue;
        }
        const float a = low / by[axis];
        const float b = high / by[axis];
        enter = std::max(enter, std::min(a, b));
        leave = std::min(leave, std::max(a, b));
    }
    if (!(enter < leave) || leave >= 1.0f)
        return -1.0f;
    return (enter + leave) / 2;
}
}

void BeetleTankProjectile::Init(const Qel::Vector3f& aBarrel, ContentReport* aReport, std::string_view aSource)
{
    myPosition = aBarrel;
    myRotation = Qel::Quaternion();
    myModel.SetTransform(Qel::Matrix4x4::CreateTranslation(aBarrel));
    myBox = Box(aBarrel.x, aBarrel.y, 0.0f, 0.0f);
    myState = STATE_IN_BARREL;
    myLoaded = false;

    const Enemy::SettingsReader reader("EnemyBeetletank", aBarrel, aReport, aSource);
    const Qel::ObjectDefinition* definition = Qel::GetObjectDefinitionManager().Find(Qel::StringId("QLO_BeetleTank_Projectile"));
    if (!definition)
    {
        reader.Report(std::string("the shell's definition \"") + DEFINITION +
                      "\" is missing; the tank does not fire");
        return;
    }
    bool hasMaxSpeed = false;
    const Qel::ModelValue* model = nullptr;
    myAcceleration = 0.0f;
    myMaxSpeed = 0.0f;
    for (const Qel::PropertyRecord& r : definition->myProperties)
    {
        if (!model && r.myType == Qel::GetPropertyType<Qel::ModelValue>())
        {
            model = r.myValue.TryGet<Qel::ModelValue>();
            continue;
        }
        if (reader.Read(r, "MaxSpeed", myMaxSpeed))
            hasMaxSpeed = true;
        else
            reader.Read(r, "Acceleration", myAcceleration);
    }
    const Enemy::SettingsReader shell(definition->myPath.c_str(), aBarrel, aReport, aSource);
    shell.NonNegative(myAcceleration, "Acceleration", 0.0f);
    if (!hasMaxSpeed)
    {
        shell.Report("\"MaxSpeed\" is missing; " + std::to_string(static_cast<int>(MIN_MAX_SPEED)) + " is used");
        myMaxSpeed = MIN_MAX_SPEED;
    }
    else if (!(myMaxSpeed >= MIN_MAX_SPEED) || myMaxSpeed > MAX_MAX_SPEED)
    {
        const float mended = myMaxSpeed > MAX_MAX_SPEED ? MAX_MAX_SPEED : MIN_MAX_SPEED;
        shell.Report("\"MaxSpeed\" " + std::to_string(myMaxSpeed) + " lies outside [" +
                     std::to_string(static_cast<int>(MIN_MAX_SPEED)) + ", " +
                     std::to_string(static_cast<int>(MAX_MAX_SPEED)) + "]; " + std::to_string(static_cast<int>(mended)) +
                     " is used");
        myMaxSpeed = mended;
    }
    if (model)
        SetupModelInstance(myModel, *model, Qel::Matrix4x4::CreateTranslation(aBarrel));
    myLoaded = true;
}

void BeetleTankProjectile::Fire(const Qel::Vector3f& aDirection)
{
    if (!myLoaded)
        return;
    myDirection = aDirection;
    myBox.SetSize({SIZE, SIZE});
    mySpeed = FIRE_SPEED;
    myLifeTimer = LIFE;
    myHeldAtPlayer = false;
    myState = STATE_FLYING;
}

void BeetleTankProjectile::Reset(const Qel::Vector3f& aBarrel)
{
    mySpeed = 0.0f;
    myLifeTimer = LIFE;
    myCooldownTimer = BURST_TIME;
    myBox.SetSize({0.0f, 0.0f});
    myPosition = aBarrel;
    myState = STATE_IN_BARREL;
}

void BeetleTankProjectile::Burst()
{
    myState = STATE_BURST;
    myBox.SetSize({0.0f, 0.0f});
    mySpeed = 0.0f;
    myCooldownTimer = BURST_TIME;
}

void BeetleTankProjectile::Update(GameContext& aContext, const Qel::Vector3f& aBarrel)
{
    const float dt = aContext.dt;
    switch (myState)
    {
    case STATE_IN_BARREL: myPosition = aBarrel; break;
    case STATE_FLYING:
    {
        myLifeTimer -= dt;
        if (myLifeTimer < 0.0f)
        {
            Reset(aBarrel);
            break;
        }
        mySpeed = std::max(0.0f, std::min(mySpeed + myAcceleration * dt, myMaxSpeed));
        const TileMap& tiles = aContext.world->myTileMap;
        bool burst = false;
        for (const MovingPlatform& platform : tiles.GetMovingPlatforms())
            burst |= platform.GetHitbox().Overlaps(myBox);
        const Qel::Vector3f step = myDirection * (mySpeed * dt);
        TileMoveResult move = tiles.SweepBox(myBox, step.x, step.y);
        // The player's contact pass sees the shell once a frame: a shell and a player closing
        // faster than their two boxes are wide per frame would pass each other unseen. A path
        // through a player who can be hurt ends this frame inside the player instead (once a
        // flight, so that a shell the player does not take flies on).
        const Player& player = aContext.world->myPlayer;
        const float passage = !myHeldAtPlayer && player.IsVulnerable()
                                  ? MiddleOfPassage(myBox, move.myDx, move.myDy, player.GetHitbox())
                                  : -1.0f;
        if (passage >= 0.0f)
        {
            move = {move.myDx * passage, move.myDy * passage};
            myHeldAtPlayer = true;
        }
        myPosition.x += move.myDx;
        myPosition.y += move.myDy;
        myPosition.z += step.z;
        if (burst || move.myHitX != 0 || move.myHitY != 0)
            Burst();
        break;
    }
    default:
        myCooldownTimer -= dt;
        if (myCooldownTimer < 0.0f)
            Reset(aBarrel);
        break;
    }
    myBox.SetPosition({myPosition.x, myPosition.y});
    PlaceModel();
}

void BeetleTankProjectile::PlaceModel()
{
    Qel::Matrix4x4 transform = Qel::Matrix4x4::CreateFromQuaternion(myRotation);
    transform.SetTranslation(myPosition);
    myModel.SetTransform(transform);
}

void BeetleTankProjectile::Render()
{
    RenderModelInstance(myModel, -1, true);
}
