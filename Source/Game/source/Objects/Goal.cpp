#include "Objects/Goal.h"

#include "GameWorld.h"
#include "Objects/ObjectProperties.h"

#include <algorithm>
#include <numbers>

void Goal::SetDefaultPath()
{
    myRide.myPath[0] = {-5.0f, 0.0f};
    myRide.myPath[1] = {-5.0f, 740.0f};
    myRide.myPath[2] = {10.0f, 750.0f};
    myRide.myPath[3] = {70.0f, 755.0f};
    myRide.myPath[4] = {1250.0f, 1425.0f};
}

void Goal::Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    LoadZiplineModel(myModel, myClip, aTransform, aProperties, aCount);
    const Qel::Vector3f position = myModel.GetPosition();
    myRide.OffsetPath({position.x, position.y});
    myTrigger = Box(position.x + TRIGGER_OFFSET_X, position.y, TRIGGER_WIDTH, TRIGGER_HEIGHT);
    if (const Qel::StringId* next = ObjectProperties::Find<Qel::StringId>(aProperties, aCount, "next_level"))
        myNextLevel = *next;
}

float Goal::CaptureSwing(float aHorizontalVelocity)
{
    constexpr float halfPi = std::numbers::pi_v<float> / 2.0f;
    return std::clamp(aHorizontalVelocity * CAPTURE_SWING, -halfPi, halfPi);
}

float Goal::GetHeightFraction(float aPlayerY) const
{
    const float base = myRide.myPath[0].y;
    const float span = myRide.myPath[1].y - 300.0f - base;
    if (!(span > 0.0f))
        return aPlayerY - ZiplineRide::HANG > base ? 1.0f : 0.0f;
    return std::clamp((aPlayerY - ZiplineRide::HANG - base) / span, 0.0f, 1.0f);
}

void Goal::Update(GameContext& aContext)
{
    if (!aContext.world || myRide.myState == ZIPLINE_WAITING)
        return;
    Player& player = aContext.world->myPlayer;
    const float dt = aContext.dt;
    const Qel::Quaternion rightYaw = Qel::Quaternion::FromEulerDegrees({0.0f, ZiplineRide::RIGHT_YAW, 0.0f});
    if (myRide.myState == ZIPLINE_START)
    {
        const Qel::Vector3f at = player.GetPosition();
        myRide.myRidePoint = {myRide.myPath[0].x, at.y + ZiplineRide::HANG, 0.0f};
        myRide.myNextPoint = 1;
        myRide.mySwingAmplitude = CaptureSwing(player.GetVelocity().x);
        myRide.mySwingPhase = 0.0f;
        myRide.myLean = 0.0f;
        myRide.myBlendWeight = 0.0f;
        myClip.myState = Qel::ANIMATION_STATE_PLAYING;
        myRide.myState = ZIPLINE_RIDING;
        return;
    }
    if (myRide.myState == ZIPLINE_RIDING)
    {
        AnimateZipline(myModel, myClip, dt);
        const Qel::Vector3f direction = myRide.Advance(dt);
        myRide.myBlendWeight = std::clamp(myRide.myBlendWeight + PULL_SPEED * dt, 0.0f, 1.0f);
        const float blend = myRide.myBlendWeight;
        const Qel::Vector3f from = player.GetPosition();
        const Qel::Vector3f to = myRide.GetHangPosition();
        const Qel::Vector3f at{from.x + (to.x - from.x) * blend, from.y + (to.y - from.y) * blend,
                               from.z + (to.z - from.z) * blend};
        myRiderRotation = Qel::Quaternion::Slerp(player.GetRotation(), rightYaw, blend);
        const float angle = blend > 0.9f ? myRide.Swing(direction, dt) : 0.0f;
        myRiderTransform = MakeRiderTransform(at, myRiderRotation, angle);
        player.SetRideTransform(myRiderTransform);
        return;
    }
    // Finished: the player hangs under the end of the rope until the level changes.
    myRiderTransform = MakeRiderTransform(myRide.GetHangPosition(), myRiderRotation, 0.0f);
    player.SetRideTransform(myRiderTransform);
    RewindZipline(myClip);
}

void Goal::Render()
{
    AnimatedModel::Render(myModel);
}
