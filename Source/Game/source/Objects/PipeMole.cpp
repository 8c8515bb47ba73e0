#include "Objects/PipeMole.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "GameWorld.h"
#include "Util/AnimationUtil.h"

#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"
#include "scene/SceneAssets.h"

#include <algorithm>
#include <cassert>
#include <cmath>

void PipeMole::Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount,
                    ContentReport* aReport, std::string_view aSource)
{
    const Qel::Vector3f placed = aTransform.GetTranslation();
    myRotation = Qel::Quaternion::FromMatrix(aTransform);
    myScale = Enemy::ScaleOf(aTransform);
    const Qel::Vector3f euler = myRotation.ToEulerDegrees();
    myHanging = std::isfinite(euler.z) && euler.z < 0.0f;
    myPosition = myHanging ? Qel::Vector3f(placed.x - 10.0f, placed.y + 100.0f, placed.z + 25.0f)
                           : Qel::Vector3f(placed.x + 10.0f, placed.y - 100.0f, placed.z + 25.0f);
    myHome = myPosition;
    myModel.SetTransform(Enemy::Compose(myScale, myRotation, myPosition));

    const Enemy::SettingsReader reader("EnemyPipeMole", placed, aReport, aSource);
    const Qel::ModelValue* model = nullptr;
    Qel::StringId clips[CLIP_COUNT];
    for (std::size_t i = 0; i < aCount; ++i)
    {
        const Qel::PropertyRecord& r = aProperties[i];
        if (!model && r.myType == Qel::GetPropertyType<Qel::ModelValue>())
        {
            model = r.myValue.TryGet<Qel::ModelValue>();
            continue;
        }
        reader.Read(r, "TimeInSecondsBeforeFirstPeekaboo", myFirstPeek) ||
            reader.Read(r, "TimeInSecondsBetweenPeekaboos", myBetweenPeeks) ||
            reader.Read(r, "TimeInSecondsBeforeHiding", myStayTime) || reader.Read(r, "AccelerationY", myAcceleration) ||
            reader.Read(r, "MaxVelocityY", myMaxStep) || reader.ReadClip(r, "Idle", clips[CLIP_IDLE]) ||
            reader.ReadClip(r, "Appear", clips[CLIP_APPEAR]) || reader.ReadClip(r, "IdleStay", clips[CLIP_IDLE_STAY]) ||
            reader.ReadClip(r, "Death", clips[CLIP_DEATH]);
    }
    reader.NonNegative(myFirstPeek, "TimeInSecondsBeforeFirstPeekaboo", 4.0f);
    reader.NonNegative(myBetweenPeeks, "TimeInSecondsBetweenPeekaboos", 4.0f);
    reader.NonNegative(myStayTime, "TimeInSecondsBeforeHiding", 3.0f);
    reader.Positive(myAcceleration, "AccelerationY", 25.0f);
    // More than a cell a second per frame would pull the mole out of sight in one step.
    reader.Positive(myMaxStep, "MaxVelocityY", 50.0f, 3000.0f);

    if (model)
    {
        const Qel::Matrix4x4 transform = Enemy::Compose(myScale, myRotation, myPosition);
        AnimatedModel::Load(myModel, model->Get(), transform);
    }
    myMoleBox.SetSize({MOLE_SIZE, MOLE_SIZE});
    myTriggerBox.SetSize({TRIGGER_SIZE, TRIGGER_SIZE});
    PlaceBoxes();
    LoadAnimations(clips);
}

void PipeMole::LoadAnimations(const Qel::StringId (&aPaths)[CLIP_COUNT])
{
    for (Qel::u8 slot = 0; slot < CLIP_COUNT; ++slot)
    {
        const bool loops = slot == CLIP_APPEAR || slot == CLIP_IDLE_STAY;
        myClips[slot] = Enemy::LoadClip(myModel.myInstance.myModel, aPaths[slot], loops, false);
    }
    myBlendedPose = myClips[CLIP_IDLE].myPose;
    if (myBlendedPose.myCount == 0 && myModel.myInstance.myModel)
        myBlendedPose = myModel.myInstance.myModel->mySkeleton.myBindPose;
    myQueueCount = 0;
}

void PipeMole::SetTimers()
{
    myPeekTimer = myFirstPeek;
    myStayTimer = myStayTime;
    myIdleSounds[0].Create(INSTANCE_MOLE_IDLE_LOOP_1, true);
    myIdleSounds[1].Create(INSTANCE_MOLE_IDLE_LOOP_2, true);
    myUpSound.Create(static_cast<Qel::u8>(INSTANCE_MOLE_UP_1 + Enemy::RandomInt(0, 5)), false);
    myDownSound.Create(static_cast<Qel::u8>(INSTANCE_MOLE_DOWN_1 + Enemy::RandomInt(0, 5)), false);
}

void PipeMole::Update(GameContext& aContext)
{
    const float dt = aContext.dt;
    const Player& player = aContext.world->myPlayer;
    myDistanceToPlayer = std::fabs(player.GetPosition().x - myPosition.x);
    myEffectsVolume = GetAudioManager().GetSfxVolume();
    switch (myState)
    {
    case STATE_HIDDEN:
        if (!player.GetHitbox().Overlaps(myTriggerBox))
        {
            myPeekTimer -= dt;
            if (myPeekTimer < 0.0f)
            {
                myState = STATE_MOVING;
                PlaySound(myUpSound, true);
                myPeekTimer = myBetweenPeeks;
            }
        }
        break;
    case STATE_MOVING: UpdateMoving(dt); break;
    case STATE_OUT:
        QueueAnimation(CLIP_IDLE_STAY, BLEND_TIME);
        myStayTimer -= dt;
        if (myStayTimer < 0.0f)
        {
            myState = STATE_MOVING;
            PlaySound(myDownSound, true);
            myStayTimer = myStayTime;
        }
        break;
    default:
        myDeathTimer += dt;
        if (myDeathTimer > SINK_DELAY)
            myPosition.y += (myHanging ? SINK_SPEED : -SINK_SPEED) * dt;
        if (myDeathTimer > myRemoveTime)
            myRemoved = true;
        break;
    }
    if (!myDead)
        myUpSound.SetVolume(Enemy::Volume(myEffectsVolume, myDistanceToPlayer, mySoundRange, myActive));
    UpdateAnimationBlends(dt);
    PlaceBoxes();
    myModel.SetTransform(Enemy::Compose(myScale, myRotation, myPosition));
}

void PipeMole::UpdateMoving(float aDeltaTime)
{
    QueueAnimation(CLIP_APPEAR, BLEND_TIME);
    myStep = std::clamp(myStep + myAcceleration * aDeltaTime, 0.0f, myMaxStep * aDeltaTime);
    // Only on the way out: a shorter step on the way back must not count as out again.
    if (myVerticalDirection > 0.0f && (myPosition - myHome).Length() > PEEK_HEIGHT)
    {
        myState = STATE_OUT;
        QueueAnimation(CLIP_IDLE, BLEND_TIME);
        PlaySound(myIdleSounds[Enemy::RandomInt(0, 1)], false);
        myVerticalDirection = -1.0f;
    }
    myPosition.y += (myHanging ? -myStep : myStep) * myVerticalDirection;
    if (myVerticalDirection < 0.0f)
    {
        const bool home = myHanging ? myPosition.y > myHome.y + HIDE_MARGIN : myPosition.y < myHome.y - HIDE_MARGIN;
        if (home)
        {
            myState = STATE_HIDDEN;
            myUpSound.Stop();
            myVerticalDirection = 1.0f;
        }
    }
}

void PipeMole::PlaySound(Enemy::Sound& aSound, bool aStopIdleLoops)
{
    if (aStopIdleLoops)
    {
        myIdleSounds[0].Stop();
        myIdleSounds[1].Stop();
    }
    else
    {
        myUpSound.Stop();
        myDownSound.Stop();
    }
    if (myDistanceToPlayer < mySoundRange)
    {
        aSound.SetVolume(Enemy::Volume(myEffectsVolume, myDistanceToPlayer, mySoundRange, myActive));
        aSound.Play();
    }
}

void PipeMole::QueueAnimation(Qel::u8 aSlot, float aBlendTime)
{
    if (aSlot >= CLIP_COUNT || !myClips[aSlot].myAnimation || !(aBlendTime > 0.0f))
        return;
    for (std::size_t i = 0; i < myQueueCount; ++i)
        if (myQueue[i].mySlot == aSlot)
            return;
    if (myQueueCount == myQueue.size())
        return;
    myQueue[myQueueCount++] = {aBlendTime, 0.0f, aSlot, true};
}

void PipeMole::UpdateAnimationBlends(float aDeltaTime)
{
    if (myQueueCount == 0)
        return;
    // Everything older than the newest fully blended entry no longer shows.
    for (std::size_t i = myQueueCount; i-- > 0;)
    {
        if (myQueue[i].myElapsed > myQueue[i].myBlendTime - 0.001f)
        {
            std::copy(myQueue.begin() + static_cast<std::ptrdiff_t>(i),
                      myQueue.begin() + static_cast<std::ptrdiff_t>(myQueueCount), myQueue.begin());
            myQueueCount -= i;
            break;
        }
    }
    for (std::size_t i = 0; i < myQueueCount; ++i)
    {
        Blend& blend = myQueue[i];
        Qel::AnimationPlayer& clip = myClips[blend.mySlot];
        if (blend.myFresh)
        {
            clip.myTime = 0.0f;
            clip.myState = Qel::ANIMATION_STATE_PLAYING;
            blend.myFresh = false;
        }
        assert(blend.myBlendTime > 0.0f && "anim.blendTime > 0.0f");
        blend.myElapsed = std::clamp(blend.myElapsed + aDeltaTime, 0.0f, blend.myBlendTime);
        clip.Update(aDeltaTime);
        if (myBlendedPose.myCount == 0 || myBlendedPose.myCount == clip.myPose.myCount)
            AnimationUtil::BlendPose(myBlendedPose, clip.myPose, blend.myElapsed / blend.myBlendTime);
    }
    if (myModel.myInstance.myModel && myBlendedPose.myCount > 0)
        myModel.myInstance.SetPose(myBlendedPose);
}

void PipeMole::PlaceBoxes()
{
    const float side = myHanging ? -mySideOffset : mySideOffset;
    const float trigger = myHanging ? myTriggerOffset : -myTriggerOffset;
    myMoleBox.SetPosition({myPosition.x + side, myPosition.y});
    myTriggerBox.SetPosition({myPosition.x + side, myPosition.y + trigger});
}

void PipeMole::Render()
{
    AnimatedModel::Render(myModel);
}

void PipeMole::Kill()
{
    if (myDead)
        return;
    StopSounds();
    GetAudioManager().PlaySfx(SFX_ENEMY_DEATH);
    myDead = true;
    myState = STATE_DEAD;
    myMoleBox.SetSize({0.0f, 0.0f});
    myTriggerBox.SetSize({0.0f, 0.0f});
    QueueAnimation(CLIP_DEATH, BLEND_TIME);
}

void PipeMole::StopSounds()
{
    myIdleSounds[0].Release();
    myIdleSounds[1].Release();
    myUpSound.Release();
    myDownSound.Release();
}
