#include "PlayerRig.h"

#include "AudioManager.h"
#include "EnemyContacts.h"
#include "Hud.h"
#include "Util/RenderSize.h"

#include <algorithm>
#include <memory>
#include <vector>

using namespace PlayerTest;

namespace
{
// A small stand-in enemy: its boxes, where it is, and what the contact pass did to it.
struct TestEnemy
{
    Qel::Vector3f myPosition;
    EnemyContactBoxes myBoxes;
    bool myDead = false;
    bool myRemoved = false;
    bool myActive = true;
    int myJumpOnKills = 0;

    bool IsRemoved() const { return myRemoved; }
    bool IsDead() const { return myDead; }
    Qel::Vector3f GetPosition() const { return myPosition; }
    void SetActive(bool aActive) { myActive = aActive; }
    EnemyContactBoxes GetContactBoxes() const { return myDead ? EnemyContactBoxes{} : myBoxes; }
    void KillByJumpOn()
    {
        ++myJumpOnKills;
        myDead = true;
    }
};

// Feet at (x, y), boxes as the enemy kinds lay them out.
TestEnemy MiniOwlAt(float aX, float aY)
{
    TestEnemy owl;
    owl.myPosition = {aX, aY, 0.0f};
    owl.myBoxes.myTop = Box(aX, aY + 100.0f, 100.0f, 35.0f);
    owl.myBoxes.myBody = Box(aX, aY + 33.75f, 80.0f, 67.5f);
    return owl;
}

TestEnemy BeetleTankAt(float aX, float aY, bool aShellFlying = false)
{
    TestEnemy tank;
    tank.myPosition = {aX, aY, 0.0f};
    tank.myBoxes.myTop = Box(aX, aY + 160.0f, 90.0f, 50.0f);
    tank.myBoxes.myBody = Box(aX, aY + 61.25f, 150.0f, 122.5f);
    tank.myBoxes.myShell = aShellFlying ? Box(aX + 300.0f, aY + 100.0f, 25.0f, 25.0f) : Box(aX + 90.0f, aY + 100.0f, 0.0f, 0.0f);
    return tank;
}

TestEnemy FlyingOwlAt(float aX, float aY)
{
    TestEnemy owl;
    owl.myPosition = {aX, aY, 0.0f};
    owl.myBoxes.myTop = Box(aX, aY + 15.0f, 60.0f, 100.0f);
    return owl;
}

TestEnemy PipeMoleAt(float aX, float aY)
{
    TestEnemy mole;
    mole.myPosition = {aX, aY, 0.0f};
    mole.myBoxes.myBody = Box(aX, aY + 50.0f, 80.0f, 100.0f);
    return mole;
}

struct DamageRig : PlayerRig
{
    std::vector<TestEnemy> myEnemies[ENEMY_CONTACT_KIND_COUNT];

    DamageRig()
    {
        for (std::size_t k = 0; k < ENEMY_CONTACT_KIND_COUNT; ++k)
            myWorld.myEnemyContacts[k] =
                std::make_unique<EnemyContactList<TestEnemy>>(static_cast<EnemyContactKind>(k), myEnemies[k]);
    }
    std::vector<TestEnemy>& List(EnemyContactKind aKind) { return myEnemies[static_cast<std::size_t>(aKind)]; }

    // Places the player (feet) with a vertical velocity and runs the contact pass alone.
    void Touch(float aY, float aVy)
    {
        player.SetPosition({0.0f, aY, 0.0f});
        player.SetVerticalVelocity(aVy);
        player.HandleEnemyContacts(myContext);
    }
};
}

TEST(PlayerDamage, StompVersusHitTable)
{
    struct Row
    {
        const char* name;
        EnemyContactKind kind;
        TestEnemy enemy;
        float playerY;
        float vy;
        bool stomp;
        bool hit;
        float landY;  // player's y after a stomp
    };
    const Row rows[] = {
        {"falling onto a mini owl stomps", EnemyContactKind::MiniOwl, MiniOwlAt(0, 0), 110.0f, -100.0f, true, false, 167.5f},
        {"rising into a mini owl from above misses", EnemyContactKind::MiniOwl, MiniOwlAt(0, 0), 110.0f, 100.0f, false, false, 0},
        {"rising into a mini owl's body hurts", EnemyContactKind::MiniOwl, MiniOwlAt(0, 0), 60.0f, 100.0f, false, true, 0},
        {"falling below the owl's body top hurts", EnemyContactKind::MiniOwl, MiniOwlAt(0, 0), 60.0f, -100.0f, false, true, 0},
        {"a dead mini owl does nothing", EnemyContactKind::MiniOwl, [] { TestEnemy e = MiniOwlAt(0, 0); e.myDead = true; return e; }(), 20.0f, -100.0f, false, false, 0},
        {"falling onto a beetle tank stomps", EnemyContactKind::BeetleTank, BeetleTankAt(0, 0), 150.0f, -100.0f, true, false, 235.0f},
        {"walking into a beetle tank hurts", EnemyContactKind::BeetleTank, BeetleTankAt(0, 0), 0.0f, 0.0f, false, true, 0},
        {"a shell in the barrel does not hurt", EnemyContactKind::BeetleTank, BeetleTankAt(-200, 0), 0.0f, 0.0f, false, false, 0},
        {"a flying shell hurts", EnemyContactKind::BeetleTank, BeetleTankAt(-300, 0, true), 0.0f, 0.0f, false, true, 0},
        {"falling onto a flying owl stomps", EnemyContactKind::FlyingMiniOwl, FlyingOwlAt(0, 50), 70.0f, -100.0f, true, false, 165.0f},
        {"rising into a flying owl hurts", EnemyContactKind::FlyingMiniOwl, FlyingOwlAt(0, 50), 70.0f, 100.0f, false, true, 0},
        {"a pipe mole is never stomped", EnemyContactKind::PipeMole, PipeMoleAt(0, 0), 80.0f, -100.0f, false, true, 0},
        {"a pipe mole hurts from the side", EnemyContactKind::PipeMole, PipeMoleAt(0, 0), 0.0f, 0.0f, false, true, 0},
    };
    for (const Row& row : rows)
    {
        SCOPED_TRACE(row.name);
        DamageRig rig;
        rig.Spawn(0.0f, 0.0f);
        rig.List(row.kind).push_back(row.enemy);
        rig.Touch(row.playerY, row.vy);
        const TestEnemy& enemy = rig.List(row.kind)[0];
        EXPECT_EQ(enemy.myJumpOnKills, row.stomp ? 1 : 0);
        EXPECT_EQ(rig.player.IsHitPending(), row.hit);
        EXPECT_EQ(rig.RumbleQueued(0.5f, 0.5f, 0.5f), row.hit);
        if (row.stomp)
        {
            EXPECT_FLOAT_EQ(rig.Y(), row.landY);
            EXPECT_FLOAT_EQ(rig.Vy(), 2000.0f);
            EXPECT_FLOAT_EQ(rig.player.GetHitbox().myPosition.y, row.landY + 85.0f) << "the box follows";
            EXPECT_EQ(rig.myHud.GetScore(), 1000);
            ASSERT_EQ(rig.myHud.GetScorePopups().size(), 1u);
            EXPECT_EQ(rig.myHud.GetScorePopups()[0].myAmount, 1000);
            // Shown where the enemy is on screen (no world camera here: seen from the origin).
            const auto [width, height] = GetGameRenderSize();
            EXPECT_FLOAT_EQ(rig.myHud.GetScorePopups()[0].myPosition.x,
                            Hud::WorldToScreen(enemy.myPosition, {0.0f, 0.0f, 0.0f}, width, height).x);
        }
        else
            EXPECT_EQ(rig.myHud.GetScore(), 0);
    }
}

TEST(PlayerDamage, StompedEnemyIsNotStompedAgain)
{
    // After the bounce the player comes down where the owl was: its box is gone, no second 1000.
    DamageRig rig;
    rig.Floor(-1000.0f, 1000.0f);
    rig.List(EnemyContactKind::MiniOwl).push_back(MiniOwlAt(0.0f, FLOOR_TOP));
    rig.Spawn(0.0f, FLOOR_TOP + 300.0f);
    rig.Frames(120);
    EXPECT_EQ(rig.List(EnemyContactKind::MiniOwl)[0].myJumpOnKills, 1);
    EXPECT_EQ(rig.myHud.GetScore(), 1000);
    EXPECT_FALSE(rig.player.IsHitPending());
    EXPECT_TRUE(rig.player.IsVulnerable());
}

TEST(PlayerDamage, PowerUpStepsDownThenDeath)
{
    DamageRig rig;
    rig.StandOnFloor();
    rig.player.SetPowerUp(Player::POWER_UP_GRENADE);
    const float dt = rig.myContext.dt;

    struct Step
    {
        Qel::u32 before;
        Qel::u32 after;
    };
    for (const Step& step : {Step{2, 1}, Step{1, 0}})
    {
        SCOPED_TRACE(step.before);
        ASSERT_EQ(rig.player.GetPowerUp(), step.before);
        rig.ClearSounds();
        rig.player.SetHitPending();
        EXPECT_FALSE(rig.Frame({KEY_RIGHT}));
        EXPECT_EQ(rig.player.GetPowerUp(), step.after);
        EXPECT_EQ(rig.CountEffect(SFX_PLAYER_DEATH), 1u);
        EXPECT_TRUE(rig.player.IsStunned());
        // Stunned for 1 s: the player does not move, whatever is held.
        const float x = rig.X();
        int stunned = 1;
        while (rig.player.IsStunned() && stunned < 200)
        {
            rig.Frame({KEY_RIGHT});
            EXPECT_FLOAT_EQ(rig.X(), x);
            ++stunned;
        }
        EXPECT_NEAR(stunned * dt, 1.0f, 3 * dt);
        EXPECT_TRUE(rig.player.IsFlashing());
        // Invulnerable (and flashing) until 3 s; an enemy touch does nothing meanwhile.
        rig.List(EnemyContactKind::PipeMole).assign(1, PipeMoleAt(rig.X(), FLOOR_TOP));
        int invulnerable = stunned;
        while (!rig.player.IsVulnerable() && invulnerable < 400)
        {
            rig.Frame();
            ++invulnerable;
        }
        EXPECT_NEAR(invulnerable * dt, 3.0f, 3 * dt);
        EXPECT_EQ(rig.player.GetPowerUp(), step.after);
        EXPECT_FALSE(rig.player.IsFlashing());
        rig.List(EnemyContactKind::PipeMole).clear();
        rig.Frame();
    }

    // Without a power-up a hit is a death.
    rig.ClearSounds();
    rig.player.SetHitPending();
    EXPECT_TRUE(rig.Frame());
    EXPECT_EQ(rig.player.GetLives(), 4);
    EXPECT_EQ(rig.CountEffect(SFX_UI_GAME_OVER), 1u);
    EXPECT_TRUE(rig.player.IsVulnerable());
}

TEST(PlayerDamage, TwoEnemiesInOneFrameAreOneHit)
{
    DamageRig rig;
    rig.StandOnFloor();
    rig.player.SetPowerUp(Player::POWER_UP_GRENADE);
    rig.List(EnemyContactKind::MiniOwl).push_back(MiniOwlAt(20.0f, FLOOR_TOP));
    rig.List(EnemyContactKind::PipeMole).push_back(PipeMoleAt(-20.0f, FLOOR_TOP));
    rig.Frame();
    EXPECT_EQ(rig.player.GetPowerUp(), 1u) << "grenade to shield, not to none";
    EXPECT_EQ(rig.CountEffect(SFX_PLAYER_DEATH), 1u);
}

TEST(PlayerDamage, OnlyTheTwoNearestOfAListAreHeard)
{
    DamageRig rig;
    rig.StandOnFloor();
    std::vector<TestEnemy>& owls = rig.List(EnemyContactKind::MiniOwl);
    owls.push_back(MiniOwlAt(rig.X() + 300.0f, FLOOR_TOP));
    owls.push_back(MiniOwlAt(rig.X() + 100.0f, FLOOR_TOP));
    TestEnemy removed = MiniOwlAt(rig.X() + 50.0f, FLOOR_TOP);
    removed.myRemoved = true;
    owls.push_back(removed);
    owls.push_back(MiniOwlAt(rig.X() - 200.0f, FLOOR_TOP));
    rig.List(EnemyContactKind::BeetleTank).push_back(BeetleTankAt(rig.X() + 1000.0f, FLOOR_TOP));
    rig.player.HandleEnemyContacts(rig.myContext);
    ASSERT_EQ(owls.size(), 3u) << "the removed owl is erased";
    EXPECT_FALSE(owls[0].myActive);
    EXPECT_TRUE(owls[1].myActive);
    EXPECT_TRUE(owls[2].myActive);
    EXPECT_TRUE(rig.List(EnemyContactKind::BeetleTank)[0].myActive) << "each list has its own two";
}

namespace
{
struct GrenadeRig : DamageRig
{
    struct Thrown
    {
        Qel::Matrix4x4 myTransform;
        bool myExploded = false;
    };
    std::vector<Thrown> myThrown;

    explicit GrenadeRig(const char* aGrenadePath = "objects/QLO_ChestGrenade.qlo")
    {
        AddDefinition("QLO_ChestGrenade", Props().Tag(Qel::ObjectTag::ChestGrenade));
        myWorld.myCreateOtherKind = [this](Qel::i32 aTag, const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord*,
                                           std::size_t) {
            if (aTag == static_cast<Qel::i32>(Qel::ObjectTag::ChestGrenade))
                myThrown.push_back({aTransform, false});
        };
        myWorld.myCountLiveGrenades = [this] {
            std::size_t live = 0;
            for (const Thrown& grenade : myThrown)
                live += grenade.myExploded ? 0 : 1;
            return live;
        };
        Floor(-1500.0f, 3500.0f);
        Props props;
        if (aGrenadePath)
            props.Object("ChestGrenadePath", aGrenadePath);
        Spawn(0.0f, FLOOR_TOP, props);
        Frames(3);
        player.SetPowerUp(Player::POWER_UP_GRENADE);
        ClearSounds();
    }
    void Throw(std::initializer_list<Qel::u32> aAlsoHeld = {})
    {
        std::vector<Qel::u32> keys(aAlsoHeld);
        Frame(keys);
        keys.push_back(KEY_X);
        Frame(keys);
    }
};
}

TEST(PlayerDamage, GrenadeLimitDirectionAndSounds)
{
    GrenadeRig rig;
    rig.Throw();
    rig.Throw();
    rig.Throw();
    ASSERT_EQ(rig.myThrown.size(), 2u) << "two in flight is the limit";
    EXPECT_EQ(rig.player.GetSettings().myMaxGrenades, 2);
    std::size_t throws = 0;
    for (Qel::u8 id = SFX_SHOOT_1; id < SFX_SHOOT_1 + 4; ++id)
        throws += rig.CountEffect(id);
    EXPECT_EQ(throws, 2u);
    EXPECT_TRUE(rig.RumbleQueued(0.2f, 0.2f, 0.1f));

    // Where it starts: the box centre, a tenth of the box height up, at z 0.
    const Box box = rig.player.GetHitbox();
    const Qel::Vector3f at = rig.myThrown[0].myTransform.GetTranslation();
    EXPECT_FLOAT_EQ(at.x, box.myPosition.x);
    EXPECT_FLOAT_EQ(at.y, box.myPosition.y + 0.1f * box.mySize.y);
    EXPECT_FLOAT_EQ(at.z, 0.0f);

    rig.myThrown[0].myExploded = true;
    rig.Throw();
    EXPECT_EQ(rig.myThrown.size(), 3u) << "one exploded: a throw works again";

    // Facing decides the direction, through the transform's first row.
    GrenadeRig facing;
    facing.Frames(30, {KEY_RIGHT});
    facing.Throw({KEY_RIGHT});
    facing.Frames(60, {KEY_LEFT});
    facing.Throw({KEY_LEFT});
    ASSERT_EQ(facing.myThrown.size(), 2u);
    EXPECT_FLOAT_EQ(facing.myThrown[0].myTransform(1, 1), 1.0f);
    EXPECT_FLOAT_EQ(facing.myThrown[1].myTransform(1, 1), -1.0f);
}

TEST(PlayerDamage, DoubleBindingsOfXAndDown)
{
    // X is sprint and throw: running with X held sprints and throws on the press.
    GrenadeRig rig;
    rig.Frames(40, {KEY_RIGHT});
    rig.Frames(30, {KEY_RIGHT, KEY_X});
    EXPECT_EQ(rig.myThrown.size(), 1u);
    EXPECT_FLOAT_EQ(rig.Vx(), 800.0f);
    // Without the grenade power-up X only sprints.
    GrenadeRig plain;
    plain.player.SetPowerUp(Player::POWER_UP_SHIELD);
    plain.Frames(40, {KEY_RIGHT});
    plain.Frames(30, {KEY_RIGHT, KEY_X});
    EXPECT_TRUE(plain.myThrown.empty());
    EXPECT_FLOAT_EQ(plain.Vx(), 800.0f);
    // In the air X throws too.
    GrenadeRig air;
    air.Frames(10, {KEY_JUMP});
    air.Frames(2, {KEY_JUMP, KEY_X});
    EXPECT_EQ(air.myThrown.size(), 1u);
    // Down is crouch on the ground and ground pound in the air (after a jump).
    GrenadeRig down;
    down.Frames(5, {KEY_DOWN});
    EXPECT_TRUE(down.player.IsCrouched());
    EXPECT_FALSE(down.player.IsGroundPounding());
    down.Frames(5);
    down.Frames(15, {KEY_JUMP});
    down.Frame({KEY_DOWN});
    EXPECT_TRUE(down.player.IsGroundPounding());
    EXPECT_FALSE(down.player.IsCrouched());
}

TEST(PlayerDamage, NoThrowWithoutAGrenadeDefinition)
{
    GrenadeRig rig(nullptr);
    rig.Throw();
    EXPECT_TRUE(rig.myThrown.empty());
    for (Qel::u8 id = SFX_SHOOT_1; id < SFX_SHOOT_1 + 4; ++id)
        EXPECT_EQ(rig.CountEffect(id), 0u);

    // A definition of another kind is refused, said once, and nothing is made of it.
    GrenadeRig wrongKind("objects/QLO_NotAGrenade.qlo");
    wrongKind.AddDefinition("QLO_NotAGrenade", Props().Tag(Qel::ObjectTag::Default));
    std::size_t made = 0;
    wrongKind.myWorld.myCreateOtherKind = [&](Qel::i32, const Qel::Matrix4x4&, const Qel::PropertyRecord*,
                                              std::size_t) { ++made; };
    wrongKind.Throw();
    wrongKind.Frames(30);
    wrongKind.Throw();
    EXPECT_EQ(made, 0u);
    EXPECT_EQ(wrongKind.CountEffect(SFX_SHOOT_1) + wrongKind.CountEffect(SFX_SHOOT_1 + 1) +
                  wrongKind.CountEffect(SFX_SHOOT_1 + 2) + wrongKind.CountEffect(SFX_SHOOT_1 + 3),
              0u);
    const std::vector<std::string>& messages = wrongKind.myWorld.GetContentReport().GetMessages();
    EXPECT_EQ(std::count_if(messages.begin(), messages.end(),
                            [](const std::string& aMessage) {
                                return aMessage.find("QLO_NotAGrenade.qlo: the player's grenade is no ChestGrenade") !=
                                       std::string::npos;
                            }),
              1);
}

TEST(PlayerDamage, Lives)
{
    PlayerRig rig;
    Props props;
    props.Int("MaxLives", 3);
    rig.Spawn(0.0f, 1000.0f, props);
    rig.player.ResetLives();
    EXPECT_EQ(rig.player.GetLives(), 3);
    for (int i = 0; i < 5; ++i)
        rig.player.AddLife();
    EXPECT_EQ(rig.player.GetLives(), 8) << "no upper bound";
    rig.player.ResetLives();
    EXPECT_FALSE(rig.player.LoseLife());
    EXPECT_FALSE(rig.player.LoseLife());
    EXPECT_TRUE(rig.player.LoseLife());
    EXPECT_EQ(rig.CountEffect(SFX_UI_GAME_OVER), 3u);
}
