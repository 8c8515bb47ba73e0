#include "Objects/EntryZipline.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "GameWorld.h"

#include <numbers>

void EntryZipline::SetDefaultPath()
{
    myRide.myPath[0] = {-973.0f, -454.0f};
    myRide.myPath[1] = {-70.0f, 312.0f};
    myRide.myPath[2] = {-17.0f, 348.0f};
    myRide.myPath[3] = {22.0f, 347.0f};
    myRide.myPath[4] = {44.0f, 335.0f};
}

void EntryZipline::Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    LoadZiplineModel(myModel, myClip, aTransform, aProperties, aCount);
    const Qel::Vector3f position = myModel.GetPosition();
    myRide.OffsetPath({position.x, position.y});
}

void EntryZipline::Update(GameContext& aContext)
{
    if (!aContext.world || myRide.myState == ZIPLINE_WAITING)
        return;
    Player& player = aContext.world->myPlayer;
    const float dt = aContext.dt;
    const Qel::Quaternion rightYaw = Qel::Quaternion::FromEulerDegrees({0.0f, ZiplineRide::RIGHT_YAW, 0.0f});
    if (myRide.myState == ZIPLINE_START)
    {
        myRide.myRidePoint = {myRide.myPath[0].x, myRide.myPath[0].y, 0.0f};
        myRide.myNextPoint = 1;
        myRide.mySwingAmplitude = std::numbers::pi_v<float> / 4.0f;
        myRide.mySwingPhase = 0.0f;
        myRide.myLean = 0.0f;
        myClip.myState = Qel::ANIMATION_STATE_PLAYING;
        myRiderTransform = MakeRiderTransform(myRide.GetHangPosition(), rightYaw, 0.0f);
        player.SetRideTransform(myRiderTransform);
        myRide.myState = ZIPLINE_RIDING;
        return;
    }
    if (myRide.myState == ZIPLINE_RIDING)
    {
        AnimateZipline(myModel, myClip, dt);
        const Qel::Vector3f direction = myRide.Advance(dt);
        if (myRide.myState == ZIPLINE_FINISHED)
        {
            GetAudioManager().StopSfx(SFX_ZIPLINE_RIDING);
            myRiderTransform = MakeRiderTransform(myRide.GetHangPosition(), rightYaw, 0.0f);
            player.SetRideTransform(myRiderTransform);
            return;
        }
        myRiderTransform = MakeRiderTransform(myRide.GetHangPosition(), rightYaw, myRide.Swing(direction, dt));
        player.SetRideTransform(myRiderTransform);
        return;
    }
    myRiderTransform = MakeRiderTransform(myRide.GetHangPosition(), rightYaw, 0.0f);
    player.SetRideTransform(myRiderTransform);
    RewindZipline(myClip);
}

void EntryZipline::Render()
{
    AnimatedModel::Render(myModel);
}
