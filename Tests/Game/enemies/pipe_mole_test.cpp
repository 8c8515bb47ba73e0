#include "EnemyTestSupport.h"

#include "AudioManager.h"
#include "Objects/PipeMole.h"

#include <algorithm>
#include <cmath>

using namespace EnemyTest;
using GameplayTest::Props;

namespace
{
class PipeMoleTest : public EnemyFixture
{
protected:
    PipeMole Mole(const Props& aProps, float aX, float aY, float aRollDegrees = 0.0f)
    {
        Qel::Matrix4x4 transform = Qel::Matrix4x4::CreateFromEulerDegrees({0.0f, 0.0f, aRollDegrees});
        transform.SetTranslation({aX, aY, 0.0f});
        PipeMole mole{};
        mole.Init(transform, aProps.Data(), aProps.Count(), &World().GetContentReport(), "levels/enemies.qls");
        mole.SetTimers();
        return mole;
    }
};

TEST_F(PipeMoleTest, PeeksOutStaysAndHidesOnTheDefaultTimeline)
{
    PlacePlayer(2000, 0);
    PipeMole mole = Mole(Props(), 0, 0);
    EXPECT_FALSE(mole.IsHanging());
    EXPECT_EQ(mole.GetHome(), Qel::Vector3f(10.0f, -100.0f, 25.0f));
    EXPECT_GE(mole.GetUpSound().GetEntry(), INSTANCE_MOLE_UP_1);
    EXPECT_LE(mole.GetUpSound().GetEntry(), INSTANCE_MOLE_UP_1 + 5);
    EXPECT_GE(mole.GetDownSound().GetEntry(), INSTANCE_MOLE_DOWN_1);
    EXPECT_LE(mole.GetDownSound().GetEntry(), INSTANCE_MOLE_DOWN_1 + 5);

    std::vector<std::pair<Qel::u8, float>> changes;
    Qel::u8 state = mole.GetState();
    float peak = mole.GetPosition().y;
    for (int frame = 1; frame <= 16 * 60; ++frame)
    {
        mole.Update(Context());
        peak = std::max(peak, mole.GetPosition().y);
        if (mole.GetState() != state)
            changes.push_back({mole.GetState(), static_cast<float>(frame) * DT});
        state = mole.GetState();
    }
    const std::pair<Qel::u8, float> expected[] = {
        {PipeMole::STATE_MOVING, 4.02f}, {PipeMole::STATE_OUT, 6.05f},    {PipeMole::STATE_MOVING, 9.07f},
        {PipeMole::STATE_HIDDEN, 11.17f}, {PipeMole::STATE_MOVING, 15.18f},
    };
    ASSERT_EQ(changes.size(), std::size(expected));
    for (std::size_t i = 0; i < changes.size(); ++i)
    {
        EXPECT_EQ(changes[i].first, expected[i].first) << i;
        EXPECT_NEAR(changes[i].second, expected[i].second, 3.0f * DT) << i;
    }
    EXPECT_NEAR(peak, -100.0f + 100.42f, 0.05f);
    EXPECT_EQ(mole.GetUpSound().GetPlayCount(), 2u);
    EXPECT_EQ(mole.GetDownSound().GetPlayCount(), 1u);
    EXPECT_EQ(mole.GetIdleSound(0).GetPlayCount() + mole.GetIdleSound(1).GetPlayCount(), 1u);
}

TEST_F(PipeMoleTest, PlayerNearThePipeKeepsItHidden)
{
    PipeMole mole = Mole(Props(), 0, 0);
    const Box trigger = mole.GetTriggerBox();
    EXPECT_EQ(trigger.GetPosition(), Qel::Vector2f(50.0f, -175.0f));
    EXPECT_EQ(trigger.GetSize(), Qel::Vector2f(300.0f, 300.0f));
    EXPECT_EQ(mole.GetHitbox().GetPosition(), Qel::Vector2f(50.0f, -100.0f));

    PlacePlayer(2000, 0);
    Run(mole, 1.0f);
    const float left = mole.GetPeekTimer();
    PlacePlayer(100, -200);
    ASSERT_TRUE(World().myPlayer.GetHitbox().Overlaps(mole.GetTriggerBox()));
    Run(mole, 30.0f);
    EXPECT_EQ(mole.GetState(), PipeMole::STATE_HIDDEN);
    EXPECT_EQ(mole.GetPeekTimer(), left) << "the countdown waits";
    PlacePlayer(2000, 0);
    Run(mole, 2.9f);
    EXPECT_EQ(mole.GetState(), PipeMole::STATE_HIDDEN);
    Run(mole, 0.2f);
    EXPECT_EQ(mole.GetState(), PipeMole::STATE_MOVING) << "and goes on from where it stopped";
}

TEST_F(PipeMoleTest, StandingAndHangingPipes)
{
    struct Case
    {
        float roll;
        bool hanging;
        Qel::Vector3f home;
        float side;
        float trigger;
    };
    const Case cases[] = {
        {0.0f, false, {10.0f, -100.0f, 25.0f}, 40.0f, -75.0f},
        {-179.0f, true, {-10.0f, 100.0f, 25.0f}, -40.0f, 75.0f},
        {179.0f, false, {10.0f, -100.0f, 25.0f}, 40.0f, -75.0f},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.roll);
        PlacePlayer(2000, 0);
        PipeMole mole = Mole(Props().Float("TimeInSecondsBeforeFirstPeekaboo", 0.0f), 0, 0, c.roll);
        EXPECT_EQ(mole.IsHanging(), c.hanging);
        EXPECT_NEAR((mole.GetHome() - c.home).Length(), 0.0f, 1e-3f);
        Run(mole, 1.0f);
        ASSERT_EQ(mole.GetState(), PipeMole::STATE_MOVING);
        const float out = mole.GetPosition().y - mole.GetHome().y;
        EXPECT_GT(std::fabs(out), 10.0f);
        EXPECT_EQ(out > 0.0f, !c.hanging) << "up out of a standing pipe, down out of a hanging one";
        const Qel::Vector3f at = mole.GetPosition();
        EXPECT_NEAR(mole.GetHitbox().myPosition.x, at.x + c.side, 1e-4f);
        EXPECT_NEAR(mole.GetTriggerBox().myPosition.y, at.y + c.trigger, 1e-4f);
        Run(mole, 8.0f);
        EXPECT_EQ(mole.GetState(), PipeMole::STATE_HIDDEN) << "back in after rising, staying and returning";
        EXPECT_LE(std::fabs(mole.GetPosition().y - mole.GetHome().y), 7.0f);
    }
}

TEST_F(PipeMoleTest, DeadMoleSinksAfterHalfASecondAndIsRemovedAtTwo)
{
    PlacePlayer(2000, 0);
    PipeMole mole = Mole(Props(), 0, 0);
    game.ClearSounds();
    mole.Kill();
    EXPECT_EQ(game.CountEffect(SFX_ENEMY_DEATH), 1u);
    EXPECT_EQ(mole.GetState(), PipeMole::STATE_DEAD);
    EXPECT_FALSE(mole.GetHitbox().HasArea());
    EXPECT_FALSE(mole.GetUpSound().IsCreated());
    const float y = mole.GetPosition().y;
    Run(mole, 0.48f);
    EXPECT_EQ(mole.GetPosition().y, y);
    Run(mole, 1.02f);
    EXPECT_NEAR(mole.GetPosition().y, y - 100.0f, 2.0f) << "100 per second after the first half second";
    Run(mole, 0.45f);
    EXPECT_FALSE(mole.IsRemoved());
    Run(mole, 0.1f);
    EXPECT_TRUE(mole.IsRemoved());
}

TEST_F(PipeMoleTest, BlendQueueTakesEachClipOnceAndDropsWhatHasBlendedOut)
{
    PipeMole mole = Mole(Props(), 0, 0);
    mole.QueueAnimation(PipeMole::CLIP_APPEAR, 0.25f);
    EXPECT_EQ(mole.GetQueuedCount(), 0u) << "a slot without a clip is not queued";
    for (Qel::u8 slot = 0; slot < PipeMole::CLIP_COUNT; ++slot)
        ASSERT_TRUE(mole.GetClip(slot).Bind(MakeClip(10, 30.0f)));
    mole.QueueAnimation(PipeMole::CLIP_APPEAR, 0.25f);
    mole.QueueAnimation(PipeMole::CLIP_APPEAR, 0.25f);
    EXPECT_EQ(mole.GetQueuedCount(), 1u);
    mole.QueueAnimation(PipeMole::CLIP_IDLE_STAY, 0.25f);
    EXPECT_EQ(mole.GetQueuedCount(), 2u);
    PlacePlayer(2000, 0);
    Run(mole, 0.3f);
    EXPECT_EQ(mole.GetQueuedCount(), 1u) << "the older clip is gone once the newer one is fully in";
    EXPECT_EQ(mole.GetClip(PipeMole::CLIP_IDLE_STAY).myState, Qel::ANIMATION_STATE_PLAYING);
}
}
