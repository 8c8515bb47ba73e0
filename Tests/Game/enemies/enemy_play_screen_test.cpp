// Enemies in a level loaded by the play screen: made from their definitions, updated each frame
// in the screen's order, drawn in theirs, silenced when the level is left.
#include "PlayFixture.h"

#include <algorithm>
#include <memory>
#include <utility>

using namespace PlayTest;

namespace
{
class EnemyPlayScreen : public PlayFixture
{
protected:
    void SetUp() override
    {
        QelTest::TempFolder& root = AssetRoot();
        const auto write = [&](const char* aName, std::initializer_list<std::string> aRecords) {
            std::string list;
            for (const std::string& record : aRecords)
                list += (list.empty() ? "" : ", ") + record;
            root.Write(std::string("objects/") + aName + ".qlo",
                       "{\"parent-object-definition\": \"\", \"properties\": [" + list + "]}");
        };
        write("QLO_TestMiniOwl", {Tag(3), Prop("MaxPatrolSpeed", "Float", "100.0")});
        write("QLO_TestFlyingOwl", {Tag(6)});
        write("QLO_TestBeetleTank", {Tag(5)});
        write("QLO_TestPipeMole", {Tag(4), Prop("TimeInSecondsBeforeFirstPeekaboo", "Float", "0.5")});
        write("QLO_BeetleTank_Projectile", {Prop("MaxSpeed", "Float", "1000.0")});
        write("QLO_TestFan", {Tag(19)});
        write("QLO_TestZipline", {Tag(21)});
        Qel::GetObjectDefinitionManager().LoadAll(root.Path().string());
        PlayFixture::SetUp();
    }
    // A floor from -500 to 1500 with an owl, a flying owl, a tank and a mole on it.
    static std::vector<Object> FloorWithOneEnemyOfEachKind()
    {
        std::vector<Object> objects = BlockFloor(1500.0f);
        objects.push_back({"QLO_TestMiniOwl", 0.0f, 47.5f, 0.0f});
        objects.push_back({"QLO_TestFlyingOwl", 300.0f, 500.0f, 0.0f});
        objects.push_back({"QLO_TestBeetleTank", 600.0f, 52.5f, 0.0f});
        objects.push_back({"QLO_TestPipeMole", 900.0f, 300.0f, 0.0f});
        return objects;
    }
};

TEST_F(EnemyPlayScreen, LevelEnemiesRunAndDrawInTheScreensOrder)
{
    std::vector<Object> objects = FloorWithOneEnemyOfEachKind();
    WriteLevel("scenes/enemies/level1.qls", objects);
    ASSERT_GT(Load("scenes/enemies/level1.qls"), 0);
    GameWorld& world = myPlay.GetWorld();
    ASSERT_EQ(world.myMiniOwls.size(), 1u);
    ASSERT_EQ(world.myFlyingMiniOwls.size(), 1u);
    ASSERT_EQ(world.myBeetleTanks.size(), 1u);
    ASSERT_EQ(world.myPipeMoles.size(), 1u);

    // The player stays put where the level's middle is.
    Player& player = world.myPlayer;
    player.Lock();
    player.SetPosition({500.0f, 50.0f, 0.0f});
    StepLog log;
    myPlay.SetFrameRecorder(&log);
    for (int frame = 0; frame < 120; ++frame)
        ASSERT_EQ(Frame().myCode, COMMAND_NONE);
    myPlay.Render();
    myPlay.SetFrameRecorder(nullptr);

    EXPECT_GT(world.myMiniOwls[0].GetPosition().x, 50.0f) << "walked for two seconds";
    EXPECT_NE(world.myFlyingMiniOwls[0].GetFlightPosition().y, 550.0f) << "bobbing";
    EXPECT_LT(world.myBeetleTanks[0].GetReloadTimer(), 1.0f) << "on screen, reloading";
    EXPECT_EQ(world.myPipeMoles[0].GetState(), PipeMole::STATE_MOVING);

    const auto at = [&](PlayStep aStep) {
        return std::find(log.mySteps.begin(), log.mySteps.end(), aStep) - log.mySteps.begin();
    };
    EXPECT_LT(at(PlayStep::MiniOwls), at(PlayStep::PipeMoles));
    EXPECT_LT(at(PlayStep::PipeMoles), at(PlayStep::FlyingMiniOwls));
    EXPECT_LT(at(PlayStep::FlyingMiniOwls), at(PlayStep::BeetleTanks));
    const auto drawn = [&](RenderStep aStep) {
        return std::find_if(log.myDraws.begin(), log.myDraws.end(),
                            [&](const auto& aDraw) { return aDraw.first == aStep; }) -
               log.myDraws.begin();
    };
    EXPECT_LT(drawn(RenderStep::MiniOwls), drawn(RenderStep::FlyingMiniOwls));
    EXPECT_LT(drawn(RenderStep::FlyingMiniOwls), drawn(RenderStep::BeetleTanks));
    EXPECT_LT(drawn(RenderStep::BeetleTanks), drawn(RenderStep::PipeMoles));

    // Leaving the level silences and drops them.
    myPlay.StopAllSounds();
    EXPECT_FALSE(world.myMiniOwls[0].GetIdleSound().IsCreated());
    EXPECT_FALSE(world.myBeetleTanks[0].GetIdleSound().IsCreated());
    EXPECT_FALSE(world.myPipeMoles[0].GetUpSound().IsCreated());
    ASSERT_GT(Load("scenes/enemies/level1.qls"), 0);
    EXPECT_EQ(world.myMiniOwls.size(), 1u) << "a reload starts from the level's own enemies";
}

// A screen that asks the state stack for one command.
class Asks final : public State
{
public:
    explicit Asks(StateCommand aCommand) : myCommand(aCommand) {}
    void Init() override {}
    StateCommand Update(const UpdateContext&) override { return std::exchange(myCommand, StateCommand{}); }
    void Render() override {}

private:
    StateCommand myCommand;
};

TEST_F(EnemyPlayScreen, NoLoopOfTheLevelPlaysOnUnderTheEndingCredits)
{
    std::vector<Object> objects = FloorWithOneEnemyOfEachKind();
    objects.push_back({"QLO_TestFan", 400.0f, 800.0f, 3000.0f});
    objects.push_back({"QLO_TestZipline", -400.0f, 300.0f, 0.0f});
    WriteLevel("scenes/ending/level6.qls", objects);

    const auto stack = std::make_unique<StateStack>();
    stack->Init();
    const auto frame = [&] {
        myInput.Update();
        myGamepad.Update();
        stack->Update(DT, myInput, myGamepad);
    };
    Asks start(MakeLevelCommand(COMMAND_START_LEVEL, Qel::StringId("scenes/ending/level6.qls"), false));
    stack->PushForTesting(start);
    GamePlayingState& play = stack->GetPlayScreen();
    frame();
    for (int i = 0; i < 100 && play.IsLoadPending(); ++i)
        frame();
    ASSERT_FALSE(play.IsLoadPending());
    GameWorld& world = play.GetWorld();
    ASSERT_EQ(world.myEventFans.size(), 1u);

    // The level's loops all run (the loading screen still stands over them): the enemies' idle
    // sounds, the fan's hum and the entry zipline's ride.
    ASSERT_TRUE(world.myPlayer.IsRiding());
    const Qel::u32 riding = AudioManager::GetSlot(SOUND_CATEGORY_EFFECTS, SFX_ZIPLINE_RIDING);
    ASSERT_TRUE(myAudio->IsPlaying(riding));
    ASSERT_TRUE(world.myEventFans[0].IsLoopPlaying());
    ASSERT_TRUE(world.myMiniOwls[0].GetIdleSound().IsCreated());
    ASSERT_TRUE(world.myBeetleTanks[0].GetIdleSound().IsCreated());

    // The level ends in the credits.
    Asks ending(MakeCommand(COMMAND_ENDING_CREDITS));
    stack->PushForTesting(ending);
    frame();
    ASSERT_EQ(stack->GetTop(), &stack->GetEndingCredits());
    EXPECT_FALSE(myAudio->IsPlaying(riding));
    EXPECT_FALSE(world.myEventFans[0].IsLoopPlaying());
    EXPECT_FALSE(world.myMiniOwls[0].GetIdleSound().IsCreated());
    EXPECT_FALSE(world.myFlyingMiniOwls[0].GetWingSound(0).IsCreated());
    EXPECT_FALSE(world.myBeetleTanks[0].GetIdleSound().IsCreated());
    EXPECT_FALSE(world.myPipeMoles[0].GetUpSound().IsCreated());
}
}
