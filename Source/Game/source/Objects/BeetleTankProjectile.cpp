#include "Objects/BeetleTankProjectile.h"

#include "GameWorld.h"
#include "Objects/EnemyCommon.h"

#include "scene/ObjectDefinition.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"
#include "scene/SceneAssets.h"

#include <algorithm>

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
        reader.Read(r, "Acceleration", myAcceleration) || (hasMaxSpeed |= reader.Read(r, "MaxSpeed", myMaxSpeed));
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
        const TileMoveResult move = tiles.SweepBox(myBox, step.x, step.y);
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
