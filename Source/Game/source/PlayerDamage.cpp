// The player and the enemies: stomps and hits, the stun and invulnerability after a hit, the
// power-up steps, and throwing grenades.
#include "AudioManager.h"
#include "EnemyContacts.h"
#include "GameGlobals.h"
#include "GameWorld.h"
#include "Hud.h"
#include "InputMapper.h"
#include "Player.h"
#include "scene/ObjectDefinition.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <limits>

namespace
{
constexpr float FLASH_INTERVAL = 0.1f;

float Top(const Box& aBox)
{
    return aBox.myPosition.y + aBox.mySize.y / 2;
}
}

void Player::HandleEnemyContacts(GameContext& aContext)
{
    if (!aContext.world)
        return;
    constexpr std::size_t NONE = std::numeric_limits<std::size_t>::max();
    std::size_t nearest[ENEMY_CONTACT_KIND_COUNT][2];

    for (std::size_t k = 0; k < ENEMY_CONTACT_KIND_COUNT; ++k)
    {
        nearest[k][0] = nearest[k][1] = NONE;
        EnemyContacts* list = aContext.world->myEnemyContacts[k].get();
        if (!list)
            continue;
        const EnemyContactKind kind = list->GetKind();
        float best = std::numeric_limits<float>::max();
        float second = std::numeric_limits<float>::max();
        for (std::size_t i = 0; i < list->GetCount();)
        {
            if (list->IsRemoved(i))
            {
                list->Erase(i);
                continue;
            }
            // A dead enemy is only waiting to be removed: it is neither heard nor touched (a
            // squished enemy keeps a box without area, which must not hurt or bounce again).
            if (list->IsDead(i))
            {
                ++i;
                continue;
            }
            list->SetActive(i, false);
            const Qel::Vector3f d = list->GetPosition(i) - GetPosition();
            const float distance = d.x * d.x + d.y * d.y + d.z * d.z;
            if (distance < best)
            {
                second = best;
                nearest[k][1] = nearest[k][0];
                best = distance;
                nearest[k][0] = i;
            }
            else if (distance < second)
            {
                second = distance;
                nearest[k][1] = i;
            }

            const EnemyContactBoxes boxes = list->GetContactBoxes(i);
            const Box& b = myHitbox;
            const float bottom = b.myPosition.y - b.mySize.y / 2;
            const float vy = myVerticalVelocity;
            const Box* stomped = nullptr;
            bool hit = false;
            switch (kind)
            {
            case EnemyContactKind::FlyingMiniOwl:
                if (b.Overlaps(boxes.myTop))
                {
                    if (vy < 0.0f && bottom >= boxes.myTop.myPosition.y)
                        stomped = &boxes.myTop;
                    else
                        hit = myVulnerable;
                }
                break;
            case EnemyContactKind::BeetleTank:
                if (b.Overlaps(boxes.myTop) && vy < 0.0f && bottom > Top(boxes.myBody))
                    stomped = &boxes.myTop;
                else
                    hit = myVulnerable && (b.Overlaps(boxes.myBody) || b.Overlaps(boxes.myShell));
                break;
            case EnemyContactKind::MiniOwl:
                if (b.Overlaps(boxes.myTop) && vy < 0.0f && bottom > Top(boxes.myBody))
                    stomped = &boxes.myTop;
                else
                    hit = myVulnerable && b.Overlaps(boxes.myBody);
                break;
            case EnemyContactKind::PipeMole:
                hit = myVulnerable && b.Overlaps(boxes.myBody);
                break;
            }

            if (stomped)
            {
                const Qel::Vector3f p = GetPosition();
                SetPosition({p.x, Top(*stomped) + 50.0f, p.z});
                myVerticalVelocity = STOMP_BOUNCE;
                if (aContext.hud)
                {
                    aContext.hud->AddScore(STOMP_SCORE);
                    aContext.hud->SpawnScorePopup(list->GetPosition(i), STOMP_SCORE, aContext.world->myCamera.get(),
                                                  0.0f, false);
                }
                list->KillByJumpOn(i);
            }
            else if (hit)
            {
                myHitPending = true;
                if (aContext.actions)
                    aContext.actions->AddRumble(0.5f, 0.5f, 0.5f);
            }
            ++i;
        }
    }

    for (std::size_t k = 0; k < ENEMY_CONTACT_KIND_COUNT; ++k)
    {
        EnemyContacts* list = aContext.world->myEnemyContacts[k].get();
        if (!list)
            continue;
        for (std::size_t n : nearest[k])
            if (n != NONE && n < list->GetCount())
                list->SetActive(n, true);
    }
}

bool Player::UpdateDamage(float aDeltaTime)
{
    if (myHitPending)
    {
        myHitPending = false;
        if (myPowerUp != POWER_UP_NONE)
        {
            GetAudioManager().PlaySfx(SFX_PLAYER_DEATH);
            myPreviousPowerUp = myPowerUp;
            myPowerUp = myPowerUp == POWER_UP_GRENADE ? POWER_UP_SHIELD : POWER_UP_NONE;
            myStunned = true;
            myVulnerable = false;
        }
        else
        {
            GetAudioManager().PlaySfx(SFX_UI_GAME_OVER);
            --myLives;
            myVulnerable = true;
            myStunTimer = 0.0f;
            myInvulnerabilityTimer = 0.0f;
            QueueAnimation(CLIP_DEATH, 0.1f);
            return true;
        }
    }

    if (!myVulnerable && myInvulnerabilityTimer < mySettings.myInvulnerableDuration)
    {
        if (!myFlashing && myFlashShader)
            std::fill(std::begin(myModel.myShaders), std::end(myModel.myShaders), myFlashShader);
        myFlashing = true;
        if (myStunTimer < mySettings.myStunDuration)
        {
            myCanMove = false;
            myStunTimer += aDeltaTime;
            myFlashTimer -= aDeltaTime;
            if (myFlashTimer < 0.0f)
            {
                // Alternate between the look of the power-up just lost and the current one.
                const Qel::u32 lost = myPowerUp + 1;
                const Qel::u32 shown = myPreviousPowerUp == lost ? myPowerUp : lost;
                ShowTexture(GetPowerUpTexture(shown));
                myPreviousPowerUp = shown;
                myFlashTimer = FLASH_INTERVAL;
            }
        }
        else
        {
            myStunned = false;
            myCanMove = true;
            ShowTexture(GetPowerUpTexture(myPowerUp));
        }
        myInvulnerabilityTimer += aDeltaTime;
        return false;
    }

    myVulnerable = true;
    myStunned = false;
    myStunTimer = 0.0f;
    myInvulnerabilityTimer = 0.0f;
    ShowTexture(GetPowerUpTexture(myPowerUp));
    if (myFlashing)
        std::copy(std::begin(myNormalShaders), std::end(myNormalShaders), std::begin(myModel.myShaders));
    myFlashing = false;
    return false;
}

void Player::ThrowGrenade(GameContext& aContext)
{
    if (!aContext.world || !aContext.actions || !aContext.actions->IsActionPressed(ACTION_THROW))
        return;
    const std::size_t inFlight = aContext.world->myCountLiveGrenades ? aContext.world->myCountLiveGrenades() : 0;
    if (static_cast<Qel::i64>(inFlight) >= mySettings.myMaxGrenades)
        return;
    // Without a grenade definition there is nothing to throw (and nothing to create).
    if (myGrenadeDefinition.GetString()[0] == '\0')
        return;
    Qel::ObjectDefinition* definition =
        Qel::GetObjectDefinitionManager().GetOrCreate(std::filesystem::path(myGrenadeDefinition.GetString()));
    if (!definition)
        return;
    // Anything else made here would stay for good as scenery and never count toward the limit.
    if (ReadObjectTag(definition->myProperties.data(), definition->myProperties.size()) !=
        static_cast<Qel::i32>(Qel::ObjectTag::ChestGrenade))
    {
        aContext.world->GetContentReport().Report(
            std::string("grenade kind ") + myGrenadeDefinition.GetString(),
            std::string(myGrenadeDefinition.GetString()) + ": the player's grenade is no ChestGrenade; no grenade is thrown");
        return;
    }

    Qel::Matrix4x4 transform;
    transform.SetTranslation({myHitbox.myPosition.x, myHitbox.myPosition.y + 0.1f * myHitbox.mySize.y, 0.0f});
    // The grenade reads its direction from the transform's first row.
    if (myTransform(3, 1) >= 0.0f)
        transform.SetRow(1, transform.GetRow(1) * -1.0f);

    // The factory may grow the world's lists: nothing of them is held across this call.
    const std::vector<Qel::PropertyRecord> properties = definition->myProperties;
    aContext.world->CreateObject(transform, properties.data(), properties.size());
    GetAudioManager().PlayRandomSfx(SFX_SHOOT_1, SFX_SHOOT_1 + 3);
    aContext.actions->AddRumble(0.2f, 0.2f, 0.1f);
}
