#include "Player.h"

#include "AudioManager.h"
#include "GameGlobals.h"
#include "engine/Engine.h"
#include "graphics/ModelDrawer.h"
#include "model/ModelFactory.h"
#include "scene/ContentLog.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"
#include "scene/SceneAssets.h"
#include "settings/Settings.h"
#include "texture/Texture.h"
#include "texture/TextureManager.h"

#include <cmath>
#include <cstdio>
#include <algorithm>
#include <filesystem>

namespace
{
constexpr const char* FLASH_SHADER = "art/shaders/Flash.hlsl";

bool IsSet(Qel::StringId aId)
{
    return aId.GetString()[0] != '\0';
}

// Values the player is tuned with, the range each must keep, and what a value outside it means.
struct FloatRule
{
    const char* myKey;
    float PlayerSettings::*myField;
    float myMin;
    bool myMinIncluded;  // false: the value must be above myMin
    float myMax;
};

// Speeds above these would carry the 70-unit box past a whole cell in one frame of a slow
// machine; durations above a minute freeze the player for good.
constexpr FloatRule FLOAT_RULES[] = {
    {"WalkAcceleration", &PlayerSettings::myWalkAcceleration, 0.0f, false, 20000.0f},
    {"SprintAcceleration", &PlayerSettings::mySprintAcceleration, 0.0f, true, 20000.0f},
    {"MaxWalkSpeed", &PlayerSettings::myMaxWalkSpeed, 0.0f, false, 3000.0f},
    {"MaxSprintSpeed", &PlayerSettings::myMaxSprintSpeed, 0.0f, false, 3000.0f},
    {"GroundResistance", &PlayerSettings::myGroundResistance, 0.0f, false, 20000.0f},
    {"CrouchResistance", &PlayerSettings::myCrouchResistance, 0.0f, true, 20000.0f},
    {"BaseJumpForce", &PlayerSettings::myBaseJumpForce, 0.0f, false, 3000.0f},
    {"JumpForce", &PlayerSettings::myJumpForce, 0.0f, true, 20000.0f},
    {"JumpResistance", &PlayerSettings::myJumpResistance, 0.0f, false, 100000.0f},
    {"MinJumpResistance", &PlayerSettings::myMinJumpResistance, 0.0f, true, 100000.0f},
    {"PoundForce", &PlayerSettings::myPoundForce, 0.0f, false, 3000.0f},
    {"AirPauseDuration", &PlayerSettings::myAirPauseDuration, 0.0f, true, 60.0f},
    {"GroundPauseDuration", &PlayerSettings::myGroundPauseDuration, 0.0f, true, 60.0f},
    {"TakeDamagePauseDuration", &PlayerSettings::myStunDuration, 0.0f, true, 60.0f},
    {"InvulnerableDuration", &PlayerSettings::myInvulnerableDuration, 0.0f, true, 60.0f},
};

constexpr const char* CLIP_KEYS[Player::CLIP_COUNT] = {
    "IdleAnimation", "WalkAnimation",        "SprintAnimation", "SlideAnimation", "JumpAnimation", "FallAnimation",
    "CrouchAnimation", "GroundPoundAnimation", nullptr,          nullptr,          "DeathAnimation", "ZiplineAnimation",
};

Qel::Texture* LoadTexture(Qel::StringId aPath)
{
    if (!IsSet(aPath))
        return nullptr;
    Qel::Engine* engine = Qel::Engine::GetInstance();
    if (!engine || !engine->GetTextureManager())
        return nullptr;
    return engine->GetTextureManager()->GetTexture(aPath.GetString(), Qel::TEXTURE_COLOR_MODE_FORCE_SRGB);
}
}

void Player::ApplySettings(const PlayerSettings& aSettings, const std::string& aSource)
{
    const PlayerSettings defaults;
    mySettings = aSettings;
    Qel::ContentLog& log = Qel::GetDefaultContentLog();
    const std::string file = aSource.empty() ? std::string("player definition") : aSource;
    char cause[256];
    for (const FloatRule& rule : FLOAT_RULES)
    {
        float& value = mySettings.*rule.myField;
        const bool aboveMin = rule.myMinIncluded ? value >= rule.myMin : value > rule.myMin;
        if (std::isfinite(value) && aboveMin && value <= rule.myMax)
            continue;
        const float mended = std::isfinite(value) && value > rule.myMax ? rule.myMax : defaults.*rule.myField;
        std::snprintf(cause, sizeof(cause), "player %s %g is out of range (%s%g..%g); using %g", rule.myKey, value,
                      rule.myMinIncluded ? "" : "above ", rule.myMin, rule.myMax, mended);
        log.Error(file, cause);
        value = mended;
    }
    // Sprinting only ever speeds the player up.
    if (mySettings.myMaxSprintSpeed < mySettings.myMaxWalkSpeed)
    {
        std::snprintf(cause, sizeof(cause), "player MaxSprintSpeed %g is below MaxWalkSpeed %g; using %g",
                      mySettings.myMaxSprintSpeed, mySettings.myMaxWalkSpeed, mySettings.myMaxWalkSpeed);
        log.Error(file, cause);
        mySettings.myMaxSprintSpeed = mySettings.myMaxWalkSpeed;
    }
    if (mySettings.myMaxLives < 1 || mySettings.myMaxLives > 99)
    {
        const Qel::i32 mended = mySettings.myMaxLives < 1 ? defaults.myMaxLives : 99;
        std::snprintf(cause, sizeof(cause), "player MaxLives %d is out of range (1..99); using %d",
                      mySettings.myMaxLives, mended);
        log.Error(file, cause);
        mySettings.myMaxLives = mended;
    }
    if (mySettings.myMaxGrenades < 0 || mySettings.myMaxGrenades > 99)
    {
        const Qel::i32 mended = mySettings.myMaxGrenades < 0 ? 0 : 99;
        std::snprintf(cause, sizeof(cause), "player MaxAmountOfGrenades %d is out of range (0..99); using %d",
                      mySettings.myMaxGrenades, mended);
        log.Error(file, cause);
        mySettings.myMaxGrenades = mended;
    }
}

void Player::Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount,
                  const std::string& aSource)
{
    myTransform = aTransform;
    myModel.SetTransform(aTransform);
    const Qel::Vector3f p = aTransform.GetTranslation();
    // The box stands on the feet, as every later frame places it.
    myHitbox = Box(p.x, p.y + BOX_HEIGHT / 2, BOX_WIDTH, BOX_HEIGHT);
    Qel::Vector3f translation;
    Qel::DecomposeTransform(aTransform, translation, myRotation, myScale);
    myTargetRotation = myRotation;

    PlayerSettings settings = mySettings;
    for (std::size_t i = 0; i < aCount; ++i)
    {
        const Qel::PropertyRecord& record = aProperties[i];
        if (record.myType == Qel::GetPropertyType<Qel::ModelValue>())
        {
            if (const Qel::ModelValue* model = record.myValue.TryGet<Qel::ModelValue>())
            {
                const Qel::SceneModel& scene = model->Get();
                AnimatedModel::Load(myModel, scene, myTransform);
                if (myModel.HasModel())
                {
                    std::copy(std::begin(myModel.myShaders), std::end(myModel.myShaders), std::begin(myNormalShaders));
                    Qel::Engine* engine = Qel::Engine::GetInstance();
                    if (engine && engine->GetGraphicsEngine())
                    {
                        const Qel::StringId flash = Qel::ModelDrawer::GetOrCreateAnimatedShader(
                            scene.myVertexShader[0].GetString(), FLASH_SHADER);
                        myFlashShader = &Qel::ModelDrawer::GetCachedAnimatedShader(flash);
                    }
                    myNormalTexture = myModel.myInstance.myTextures[0][0];
                    myCurrentTexture = myNormalTexture;
                }
            }
        }
        ReadProperty(record);
        // Tuning values go through the settings so that they are mended together.
        if (record.myType == Qel::GetPropertyType<float>())
        {
            const float* value = record.myValue.TryGet<float>();
            for (const FloatRule& rule : FLOAT_RULES)
                if (value && record.myName == Qel::StringId(std::string(rule.myKey)))
                    settings.*rule.myField = *value;
        }
        else if (record.myType == Qel::GetPropertyType<Qel::i32>())
        {
            const Qel::i32* value = record.myValue.TryGet<Qel::i32>();
            if (value && record.myName == Qel::StringId("MaxLives"))
                settings.myMaxLives = *value;
            else if (value && record.myName == Qel::StringId("MaxAmountOfGrenades"))
                settings.myMaxGrenades = *value;
        }
    }
    ApplySettings(settings, aSource);
    LoadEffects();
    LoadAnimations();
}

void Player::ReadProperty(const Qel::PropertyRecord& aRecord)
{
    if (aRecord.myType == Qel::GetPropertyType<Qel::AnimationClipValue>())
    {
        const Qel::AnimationClipValue* clip = aRecord.myValue.TryGet<Qel::AnimationClipValue>();
        for (Qel::u8 slot = 0; clip && slot < CLIP_COUNT; ++slot)
            if (CLIP_KEYS[slot] && aRecord.myName == Qel::StringId(std::string(CLIP_KEYS[slot])))
                myClipPaths[slot] = clip->Get().myPath;
    }
    else if (aRecord.myType == Qel::GetPropertyType<Qel::ObjectReferenceValue>())
    {
        const Qel::ObjectReferenceValue* reference = aRecord.myValue.TryGet<Qel::ObjectReferenceValue>();
        if (reference && aRecord.myName == Qel::StringId("ChestGrenadePath"))
            myGrenadeDefinition = reference->Get().myPath;
    }
    else if (aRecord.myType == Qel::GetPropertyType<Qel::StringId>())
    {
        const Qel::StringId* path = aRecord.myValue.TryGet<Qel::StringId>();
        if (path && aRecord.myName == Qel::StringId("GrenadePowerUpTexture"))
            myGrenadeTexture = LoadTexture(*path);
        else if (path && aRecord.myName == Qel::StringId("ShieldPowerUpTexture"))
            myShieldTexture = LoadTexture(*path);
    }
}

void Player::SetPosition(const Qel::Vector3f& aPosition)
{
    myTransform.SetTranslation(aPosition);
    myModel.SetTransform(myTransform);
    myHitbox.SetPosition({aPosition.x, aPosition.y + myHitbox.GetSize().y / 2});
}

void Player::SetRiding(bool aRiding, bool aQuiet)
{
    if (aRiding)
    {
        myRiding = true;
        myRidingQuiet = aQuiet;
        if (!aQuiet)
            GetAudioManager().PlaySfx(SFX_ZIPLINE_ACTIVATE);
        GetAudioManager().PlaySfx(SFX_ZIPLINE_RIDING);
        return;
    }
    myRiding = false;
    myRidingQuiet = false;
    myTargetRotation = Qel::Quaternion::FromEulerDegrees({0.0f, RIGHT_YAW, 0.0f});
    myRotation = myTargetRotation;
    ApplyRotation();
    myHorizontalVelocity = 0.0f;
    myVerticalVelocity = 0.0f;
}

void Player::ResetForRespawn()
{
    myTargetRotation = Qel::Quaternion::FromEulerDegrees({0.0f, RIGHT_YAW, 0.0f});
    myRotation = myTargetRotation;
    ApplyRotation();
    myFacing = 1.0f;
    myRiding = false;
    myRidingQuiet = false;
    myHorizontalVelocity = 0.0f;
    myVerticalVelocity = 0.0f;
    // Nothing of the life just lost carries into the next one: a touch in the frame of a fall
    // out of the level would otherwise hurt (or kill) the new life in its first frame.
    myHitPending = false;
    myStunned = false;
    myStunTimer = 0.0f;
    myInvulnerabilityTimer = 0.0f;
    myVulnerable = true;
    myCanMove = true;
    myPounding = false;
    myAirPauseTimer = 0.0f;
    myGroundPauseTimer = 0.0f;
    myPoundLanded = false;
    myJumpBoost = 0.0f;
    // The new life starts wherever it is put: standing is learnt from its first sweep, and no
    // press from the old life is waiting to jump.
    myGrounded = false;
    myJumpAllowed = false;
    myJumpPressTimer = JUMP_BUFFER;
    myAirTimer = 0.0f;
    myCrouched = false;
    myDucking = false;
    myFalling = false;
    myFallSoundOn = false;
}

void Player::Unlock()
{
    myLocked = false;
    ShowTexture(GetPowerUpTexture(myPowerUp));
}

void Player::SetPowerUp(Qel::u32 aPowerUp)
{
    myPowerUp = aPowerUp;
    ShowTexture(GetPowerUpTexture(aPowerUp));
}

Qel::Texture* Player::GetPowerUpTexture(Qel::u32 aPowerUp) const
{
    switch (aPowerUp)
    {
    case POWER_UP_SHIELD:
        return myShieldTexture;
    case POWER_UP_GRENADE:
        return myGrenadeTexture;
    default:
        return myNormalTexture;
    }
}

void Player::ShowTexture(Qel::Texture* aTexture)
{
    if (!aTexture)
        return;
    myCurrentTexture = aTexture;
    myModel.myInstance.myTextures[0][0] = aTexture;
}

Qel::Texture* Player::GetCurrentTexture() const
{
    return myCurrentTexture;
}

bool Player::LoseLife()
{
    GetAudioManager().PlaySfx(SFX_UI_GAME_OVER);
    --myLives;
    return myLives < 1;
}

void Player::SetRideTransform(const Qel::Matrix4x4& aTransform)
{
    myTransform = aTransform;
    myTransform.SetRow(1, aTransform.GetRow(1) * myScale.x);
    myTransform.SetRow(2, aTransform.GetRow(2) * myScale.y);
    myTransform.SetRow(3, aTransform.GetRow(3) * myScale.z);
    myModel.SetTransform(myTransform);
    const Qel::Vector3f position = myTransform.GetTranslation();
    myHitbox.SetPosition({position.x, position.y + myHitbox.GetSize().y / 2});
}

void Player::ApplyRotation()
{
    myTransform.SetRotation(myRotation);
    myTransform.SetRow(1, myTransform.GetRow(1) * myScale.x);
    myTransform.SetRow(2, myTransform.GetRow(2) * myScale.y);
    myTransform.SetRow(3, myTransform.GetRow(3) * myScale.z);
    myModel.SetTransform(myTransform);
}

void Player::UpdateHitbox()
{
    const float height = (myCrouched || myPounding) ? CROUCHED_BOX_HEIGHT : BOX_HEIGHT;
    const Qel::Vector3f p = GetPosition();
    myHitbox = Box(p.x, p.y + height / 2, BOX_WIDTH, height);
}
