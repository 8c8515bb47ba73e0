// The player's look: twelve clips blended through the queue, footsteps timed to the clip
// frames, the ring of one-shot particle effects, and drawing.
#include "AudioManager.h"
#include "GameGlobals.h"
#include "GameWorld.h"
#include "Player.h"
#include "graphics/GraphicsEngine.h"
#include "engine/Engine.h"
#include "graphics/ModelDrawer.h"
#include "math/Random.h"
#include "model/ModelFactory.h"
#include "particles/ParticleSystemLoader.h"
#include "scene/ObjectDefinition.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"

#include <cmath>

namespace
{
// Slots whose clip restarts each time it is queued: slide, jump, fall, pound, death, zipline.
constexpr Qel::u32 REWIND_MASK = 3256;
// Slots that loop: idle, walk, sprint, crouch, zipline.
constexpr Qel::u32 LOOP_MASK = (1u << 0) | (1u << 1) | (1u << 2) | (1u << 6) | (1u << 11);
constexpr float FOOTSTEP_INTERVAL = 0.09f;
constexpr float RUN_EFFECT_OFFSET = 100.0f;
}

void Player::QueueAnimation(Qel::u8 aSlot, float aBlendTime, float aSpeedScale)
{
    if (aSlot >= CLIP_COUNT || !myAnimations[aSlot].HasAnimation())
        return;
    myBlendQueue.Queue(aSlot, aBlendTime, aSpeedScale);
}

void Player::UpdateAnimation(GameContext& aContext)
{
    if (myBlendQueue.IsEmpty())
        return;
    const float dt = aContext.dt;
    myBlendQueue.Update(
        dt, myAnimations, myBlendedPose,
        [](const AnimationBlendEntry& aEntry, Qel::AnimationPlayer& aPlayer) {
            if ((REWIND_MASK >> aEntry.mySlot) & 1u)
                aPlayer.myTime = 0.0f;
            aPlayer.myState = Qel::ANIMATION_STATE_PLAYING;
            if (aEntry.mySlot == CLIP_SLIDE)
                GetAudioManager().PlayRandomSfx(SFX_SLIDE_1, SFX_SLIDE_2);
            else
            {
                GetAudioManager().StopSfx(SFX_SLIDE_1);
                GetAudioManager().StopSfx(SFX_SLIDE_2);
            }
        },
        [this, dt](const AnimationBlendEntry& aEntry, Qel::AnimationPlayer& aPlayer) {
            if (!aEntry.mySpeedScaled)
            {
                aPlayer.Update(dt);
                return;
            }
            aPlayer.Update(std::fabs(myHorizontalVelocity) * aEntry.mySpeedScale * dt);
            const Qel::i32 frame = static_cast<Qel::i32>(aPlayer.myTime * aPlayer.myFrameRate);
            myFootstepTimer += dt;
            if (myFootstepTimer < FOOTSTEP_INTERVAL)
                return;
            if (aEntry.mySlot == CLIP_WALK && (frame == 6 || frame == 18))
            {
                PlayFootstep();
                myFootstepTimer = 0.0f;
            }
            else if (aEntry.mySlot == CLIP_SPRINT && (frame == 7 || frame == 15))
            {
                PlayFootstep();
                if (myRun1Effect && myRun2Effect)
                {
                    const Qel::Vector3f p = GetPosition();
                    const float x = myHorizontalVelocity > 0.0f ? p.x + RUN_EFFECT_OFFSET : p.x - RUN_EFFECT_OFFSET;
                    const int which = Qel::GetRandomInt(GetRandomEngine(), 1, 2);
                    SpawnEffect(which == 1 ? myRun1Effect : myRun2Effect, {x, p.y, p.z});
                }
                myFootstepTimer = 0.0f;
            }
        });
    if (myModel.GetModel())
        myModel.SetPose(myBlendedPose);
}

void Player::PlayFootstep()
{
    switch (myFloorMaterial)
    {
    case TILE_MATERIAL_CONCRETE:
        GetAudioManager().PlayRandomSfx(SFX_FOOTSTEP_CONCRETE_1, SFX_FOOTSTEP_CONCRETE_1 + 3);
        break;
    case TILE_MATERIAL_METAL:
        GetAudioManager().PlayRandomSfx(SFX_FOOTSTEP_METAL_1, SFX_FOOTSTEP_METAL_1 + 3);
        break;
    case TILE_MATERIAL_HOLLOW:
    case TILE_MATERIAL_PLATFORM:
        GetAudioManager().PlayRandomSfx(SFX_FOOTSTEP_HOLLOW_1, SFX_FOOTSTEP_HOLLOW_1 + 3);
        break;
    default:
        break;
    }
}

void Player::SetAnimationPlayer(Qel::u8 aSlot, const Qel::AnimationPlayer& aPlayer)
{
    if (aSlot >= CLIP_COUNT)
        return;
    myAnimations[aSlot] = aPlayer;
    myAnimations[aSlot].myIsLooping = ((LOOP_MASK >> aSlot) & 1u) != 0;
    if (aSlot == CLIP_IDLE && aPlayer.HasAnimation())
    {
        myAnimations[aSlot].myTime = 0.0f;
        myAnimations[aSlot].UpdatePose();
        myBlendedPose = myAnimations[aSlot].myPose;
    }
}

void Player::LoadAnimations()
{
    const std::shared_ptr<Qel::Model>& model = myModel.GetModel();
    for (Qel::u8 slot = 0; slot < CLIP_COUNT; ++slot)
    {
        myAnimations[slot] = Qel::AnimationPlayer();
        if (model && myClipPaths[slot].GetString()[0] != '\0')
            myAnimations[slot] = Qel::GetModelFactory().GetAnimationPlayer(myClipPaths[slot].GetString(), model);
        myAnimations[slot].myIsLooping = ((LOOP_MASK >> slot) & 1u) != 0;
    }
    // The pose every clip blends into starts as the idle clip's first frame; without an idle
    // clip, as the model's rest pose, so that the other clips still have joints to blend.
    Qel::AnimationPlayer& idle = myAnimations[CLIP_IDLE];
    if (idle.HasAnimation())
    {
        idle.myTime = 0.0f;
        idle.UpdatePose();
        myBlendedPose = idle.myPose;
    }
    else if (model)
        myBlendedPose = model->mySkeleton.myBindPose;
    else
        myBlendedPose = Qel::Pose();
    myBlendQueue.Clear();
}

void Player::LoadEffects()
{
    myPoundEffect = myRun1Effect = myRun2Effect = myJumpEffect = nullptr;
    const Qel::ObjectDefinition* definition = Qel::GetObjectDefinitionManager().Find(Qel::StringId("QLO_PlayerVFX"));
    if (!definition)
        return;
    for (const Qel::PropertyRecord& record : definition->myProperties)
    {
        const Qel::ParticleSystemValue* value = record.myValue.TryGet<Qel::ParticleSystemValue>();
        if (!value || value->Get().myPath.GetString()[0] == '\0')
            continue;
        Qel::ParticleSystem* system = Qel::ParticleSystemLoader::Get(value->Get().myPath);
        if (record.myName == Qel::StringId("GroundPound"))
            myPoundEffect = system;
        else if (record.myName == Qel::StringId("Run1"))
            myRun1Effect = system;
        else if (record.myName == Qel::StringId("Run2"))
            myRun2Effect = system;
        else if (record.myName == Qel::StringId("Jump"))
            myJumpEffect = system;
    }
}

void Player::SetEffects(Qel::ParticleSystem* aPound, Qel::ParticleSystem* aRun1, Qel::ParticleSystem* aRun2,
                        Qel::ParticleSystem* aJump)
{
    myPoundEffect = aPound;
    myRun1Effect = aRun1;
    myRun2Effect = aRun2;
    myJumpEffect = aJump;
}

void Player::SpawnEffect(Qel::ParticleSystem* aSystem, const Qel::Vector3f& aPosition)
{
    if (!aSystem)
        return;
    Qel::Matrix4x4 transform;
    transform.SetTranslation(aPosition);
    myEmitters[myEmitterIndex].Init(aSystem, transform);
    myEmitterIndex = (myEmitterIndex + 1) % EFFECT_RING_SIZE;
}

void Player::Render()
{
    if (myLocked)
        return;
    Qel::Engine* engine = Qel::Engine::GetInstance();
    if (myModel.GetModel() && myShader && engine && engine->GetGraphicsEngine() && engine->GetGraphicsEngine()->GetModelDrawer())
    {
        Qel::ModelDrawer* drawer = engine->GetGraphicsEngine()->GetModelDrawer();
        const int meshes = static_cast<int>(myModel.GetModel()->myMeshData.size());
        for (int mesh = 0; mesh < meshes; ++mesh)
            drawer->Draw(myModel, *myShader, mesh);
    }
    for (Qel::ParticleSystemInstance& emitter : myEmitters)
        if (emitter.IsAlive())
            emitter.Render();
}
