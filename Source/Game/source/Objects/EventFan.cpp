#include "Objects/EventFan.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "GameWorld.h"
#include "InputMapper.h"
#include "Objects/FanTrigger.h"
#include "Objects/ObjectProperties.h"
#include "Objects/Parallax.h"
#include "model/ModelFactory.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace
{
void LoadClip(Qel::AnimationPlayer& aClip, const AnimatedModel& aModel, const Qel::PropertyRecord* aProperties,
              std::size_t aCount, const char* aName)
{
    const Qel::StringId path = ObjectProperties::FindClipPath(aProperties, aCount, aName);
    if (!path.IsEmpty() && aModel.HasModel())
        aClip = Qel::GetModelFactory().GetAnimationPlayer(std::string(path.GetView()), aModel.myInstance.myModel);
}

void LoadFanModel(AnimatedModel& aModel, const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties,
                  std::size_t aCount, const char* aName)
{
    if (const Qel::SceneModel* model = ObjectProperties::FindModel(aProperties, aCount, aName))
        AnimatedModel::Load(aModel, *model, aTransform);
    else
        aModel.SetTransform(aTransform);
}

void Pose(AnimatedModel& aModel, const Qel::AnimationPlayer& aClip)
{
    if (aModel.HasModel() && aClip.HasAnimation())
        aModel.myInstance.ApplyAnimationPlayer(aClip);
}

Qel::u32 FrameNumber(const Qel::AnimationPlayer& aClip)
{
    return static_cast<Qel::u32>(std::max(0.0f, aClip.myTime * aClip.myFrameRate));
}
}

void EventFan::Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount)
{
    LoadFanModel(myFan, aTransform, aProperties, aCount, "Fan blades model");
    LoadFanModel(myDebris, aTransform, aProperties, aCount, "Debris");
    LoadClip(myBreakClip, myFan, aProperties, aCount, "Break");
    LoadClip(myPreRollClip, myFan, aProperties, aCount, "PreRoll");
    LoadClip(myDebrisClip, myDebris, aProperties, aCount, "DebrisAnimation");
    myBreakClip.myIsLooping = false;
    myDebrisClip.myIsLooping = false;
    myPreRollClip.myIsLooping = true;
    myPreRollClip.myState = Qel::ANIMATION_STATE_PLAYING;
    myScale = ObjectProperties::GetFloat(aProperties, aCount, "ParallaxScale", 0.0f);
    mySparkSystem = ObjectProperties::FindDefinitionParticleSystem(FAN_ELECTRICITY_DEFINITION, "Electricity");
}

void EventFan::SetupSounds()
{
    myFanBase = myFan.GetPosition();
    myDebrisBase = {myFanBase.x, myFanBase.y - DEBRIS_DROP, myFanBase.z};
    // Made again (a second set-up) the old handles are let go first, so no loop is left behind.
    if (mySoundsCreated)
        StopSounds();
    AudioManager& audio = GetAudioManager();
    myLoopSound = audio.CreateSound(INSTANCE_FAN_LOOP, true);
    myBreakSound = audio.CreateSound(INSTANCE_FAN_BREAKING, false);
    myWindDownSound = audio.CreateSound(INSTANCE_FAN_FROM_TRIGGER, false);
    myEffectsVolume = audio.GetSfxVolume();
    myLoopSound.SetVolume(0.0f);
    myLoopSound.Play();
    myLoopPlaying = 1;
    mySoundsCreated = 1;
}

void EventFan::Update(const GameContext& aContext, const FanTrigger* aTrigger)
{
    const float dt = aContext.dt;
    const float x = myScale * GetWorldCameraX(aContext) + myFanBase.x;
    {
        Qel::Matrix4x4 fan = myFan.GetTransform();
        fan.SetTranslation({x, myFanBase.y, myFanBase.z});
        myFan.SetTransform(fan);
        Qel::Matrix4x4 debris = myDebris.GetTransform();
        debris.SetTranslation({x, myDebrisBase.y, myDebrisBase.z});
        myDebris.SetTransform(debris);
    }
    if (!aTrigger)
        return;

    if (mySparks.IsAlive())
    {
        mySparks.GetTransform().SetTranslation({x, myFanBase.y, myFanBase.z + SPARK_Z_OFFSET});
        mySparks.Update(dt);
    }
    myEffectsVolume = GetAudioManager().GetSfxVolume();
    const float playerX = aContext.world ? aContext.world->myPlayer.GetPosition().x : x;
    const float distance = std::fabs(playerX - x);
    float volume = -1.0f;
    if (distance < HEARING_RANGE)
    {
        myDistanceFactor = std::max(0.0f, 1.0f - FADE_AT_RANGE * distance / HEARING_RANGE);
        volume = myEffectsVolume * myDistanceFactor;
    }

    if (!aTrigger->IsTriggered())
    {
        if (volume >= 0.0f)
            myLoopSound.SetVolume(volume);
    }
    else
    {
        if (volume >= 0.0f)
        {
            myBreakSound.SetVolume(volume);
            myWindDownSound.SetVolume(volume);
        }
        if (myBreakClip.myState != Qel::ANIMATION_STATE_PLAYING)
        {
            if (!myWindDownStarted)
            {
                myPreRollClip.myIsLooping = false;
                myWindDownSound.Play();
                ++myWindDownPlays;
                myWindDownStarted = 1;
            }
            // The break waits for the wind-down to end; without either clip it never comes.
            if (myPreRollClip.HasAnimation() && myPreRollClip.myState == Qel::ANIMATION_STATE_FINISHED &&
                myBreakClip.HasAnimation() && myBreakClip.myState == Qel::ANIMATION_STATE_READY)
            {
                myDebrisClip.myState = Qel::ANIMATION_STATE_PLAYING;
                myBreakClip.myState = Qel::ANIMATION_STATE_PLAYING;
                if (mySparkSystem)
                    mySparks.Init(mySparkSystem, Qel::Matrix4x4::CreateTranslation(myFan.GetPosition()));
                myWindDownSound.Play();
                ++myWindDownPlays;
                myLoopSound.Stop(true);
                myLoopPlaying = 0;
                if (aContext.actions)
                    aContext.actions->AddRumble(1.0f, 1.0f, 5.0f);
            }
        }
        if (myBreakClip.myState == Qel::ANIMATION_STATE_PLAYING)
        {
            myBroken = 1;
            myBreakClip.Update(CLIP_SPEED * dt);
            Pose(myFan, myBreakClip);
            myDebrisClip.Update(dt);
            Pose(myDebris, myDebrisClip);
            if (!myBreakSoundPlayed && FrameNumber(myBreakClip) == 0)
            {
                myBreakSound.Play();
                ++myBreakPlays;
                myBreakSoundPlayed = 1;
            }
        }
    }
    if (myPreRollClip.myState == Qel::ANIMATION_STATE_PLAYING && myPreRollClip.HasAnimation())
    {
        myPreRollClip.Update(CLIP_SPEED * dt);
        Pose(myFan, myPreRollClip);
    }
}

void EventFan::Render()
{
    AnimatedModel::Render(myFan);
    AnimatedModel::Render(myDebris);
    if (mySparks.IsRunning())
        mySparks.Render();
}

void EventFan::StopSounds()
{
    myLoopSound.Stop(true);
    myBreakSound.Stop(true);
    myWindDownSound.Stop(true);
    myLoopSound.Unload();
    myBreakSound.Unload();
    myWindDownSound.Unload();
    myLoopPlaying = 0;
    mySoundsCreated = 0;
}
