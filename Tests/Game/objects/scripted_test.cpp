#include "ObjectsFixture.h"
#include "../../Engine/audio/WavBytes.h"

#include "AudioManager.h"
#include "Objects/PlayObjects.h"
#include "SoundBackend.h"
#include "TestSupport.h"
#include "Util/RenderSize.h"
#include "audio/AudioOut.h"
#include "math/Camera.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

using namespace ObjectsTest;
using GameplayTest::At;
using GameplayTest::GameplayFixture;
using GameplayTest::Props;

namespace
{
struct ScriptRun : GameplayFixture
{
    ScriptRun()
    {
        myWorld.myCamera = std::make_unique<Qel::Camera>();
        SetCameraX(0.0f);
        PlacePlayer(myWorld.myPlayer, 0.0f, 0.0f);
    }
    void SetCameraX(float aX) { myWorld.myCamera->SetPosition({aX, 700.0f, -1000.0f}); }
    bool Step()
    {
        BeginFrame();
        const bool credits = PlayObjects::UpdateScriptedObjects(myContext);
        PlayObjects::UpdateParallax(myContext);
        return credits;
    }
    EventFan& MakeFan(float aX, float aScale)
    {
        const Props props = Props()
                                .Tag(Qel::ObjectTag::EventFan)
                                .Float("ParallaxScale", aScale)
                                .Add("Fan blades model", Qel::ModelValue(Qel::SceneModel{}));
        myWorld.CreateObject(At(aX, 900.0f, 3000.0f), props.Data(), props.Count());
        EventFan& fan = myWorld.myEventFans.back();
        // Clips made here: the wind-down 1 s, the break 2 s, the debris 1 s.
        fan.myPreRollClip = MakePlayer(1.0f, true);
        fan.myPreRollClip.myState = Qel::ANIMATION_STATE_PLAYING;
        fan.myBreakClip = MakePlayer(2.0f, false);
        fan.myDebrisClip = MakePlayer(1.0f, false);
        fan.mySparkSystem = &mySparks;
        return fan;
    }
    FanTrigger& MakeTrigger(float aX)
    {
        const Props props = Props()
                                .Tag(Qel::ObjectTag::FanTrigger)
                                .Add("Position", Qel::Vector3f{aX, 100.0f, 0.0f})
                                .Float("HitboxWidth", 200.0f)
                                .Float("HitboxHeight", 400.0f);
        myWorld.CreateObject(At(aX, 0.0f), props.Data(), props.Count());
        return myWorld.myFanTriggers.back();
    }
    Qel::ParticleSystem mySparks;
};
}

TEST(Parallax, SlidesWithTheCameraByItsScale)
{
    struct Case
    {
        float myScale;
        bool myModel;
    };
    Qel::ParticleSystem emitter;
    for (const Case& c : {Case{0.5f, true}, Case{0.0f, true}, Case{1.0f, true}, Case{0.5f, false}})
    {
        SCOPED_TRACE(c.myScale);
        ScriptRun run;
        Props props = Props().Tag(Qel::ObjectTag::Parallax).Float("ParallaxScale", c.myScale);
        if (c.myModel)
            props.Model("models/hills.fbx");
        run.myWorld.CreateObject(At(1000.0f, 300.0f, 2000.0f), props.Data(), props.Count());
        Parallax& layer = run.myWorld.myParallaxLayers.back();
        if (!c.myModel)
            layer.myEmitter.Init(&emitter, At(1000.0f, 300.0f, 2000.0f));
        layer.SetBasePosition();
        EXPECT_EQ(layer.GetBasePosition(), Qel::Vector3f(1000.0f, 300.0f, 2000.0f));
        run.SetCameraX(500.0f);
        run.Step();
        const float atFirst = layer.GetTransform().GetTranslation().x;
        run.SetCameraX(1500.0f);
        run.Step();
        const Qel::Vector3f at = layer.GetTransform().GetTranslation();
        EXPECT_FLOAT_EQ(at.x - atFirst, 1000.0f * c.myScale);
        EXPECT_FLOAT_EQ(at.x, 1000.0f + 1500.0f * c.myScale);
        EXPECT_FLOAT_EQ(at.y, 300.0f);
        EXPECT_FLOAT_EQ(at.z, 2000.0f);
        EXPECT_EQ(layer.myEmitter.GetTransform().GetTranslation(), at);
    }
}

TEST(EventFan, WithoutATriggerFollowsTheCameraAndStaysStillAndSilent)
{
    ScriptRun run;
    EventFan& fan = run.MakeFan(2000.0f, 0.5f);
    EXPECT_TRUE(fan.IsLoopPlaying());
    EXPECT_FLOAT_EQ(fan.myLoopSound.GetVolume(), 0.0f);
    run.SetCameraX(1000.0f);
    for (int i = 0; i < 30; ++i)
        run.Step();
    EXPECT_EQ(fan.GetFanPosition(), Qel::Vector3f(2500.0f, 900.0f, 3000.0f));
    EXPECT_EQ(fan.GetDebrisPosition(), Qel::Vector3f(2500.0f, 300.0f, 3000.0f));
    EXPECT_FLOAT_EQ(fan.myPreRollClip.myTime, 0.0f);
    EXPECT_FLOAT_EQ(fan.myLoopSound.GetVolume(), 0.0f);
    EXPECT_FALSE(fan.IsBroken());
    PlayObjects::FinishLoad(run.myWorld, false);
    PlayObjects::FinishLoad(run.myWorld, false);
    ASSERT_EQ(run.myWorld.GetContentReport().GetMessages().size(), 1u);
    EXPECT_NE(run.myWorld.GetContentReport().GetMessages()[0].find("no fan trigger"), std::string::npos);
}

TEST(EventFan, HumsByDistanceThenWindsDownBreaksAndRumblesOnce)
{
    ScriptRun run;
    EventFan& fan = run.MakeFan(0.0f, 0.0f);
    run.MakeTrigger(5000.0f);
    GetAudioManager().SetSfxVolume(0.8f);
    struct Case
    {
        float myDistance;
        float myVolume;
    };
    for (const Case& c : {Case{0.0f, 0.8f}, Case{3000.0f, 0.8f * 0.85f}, Case{5999.0f, 0.8f * (1.0f - 0.3f * 5999.0f / 6000.0f)},
                          Case{7000.0f, 0.8f * (1.0f - 0.3f * 5999.0f / 6000.0f)}})
    {
        SCOPED_TRACE(c.myDistance);
        PlacePlayer(run.myWorld.myPlayer, -c.myDistance, 0.0f);
        run.Step();
        EXPECT_NEAR(fan.myLoopSound.GetVolume(), c.myVolume, 1e-5f);
    }
    const float preRollBefore = fan.myPreRollClip.myTime;
    run.Step();
    EXPECT_NEAR(fan.myPreRollClip.myTime, std::fmod(preRollBefore + 0.65f * DT, 1.0f), 1e-5f);

    // Into the trigger: the wind-down plays and the pre-roll stops looping; the break waits for
    // the pre-roll to end (at 0.65 speed).
    PlacePlayer(run.myWorld.myPlayer, 5000.0f, 0.0f);
    run.Step();
    EXPECT_TRUE(run.myWorld.myFanTriggers[0].IsTriggered());
    EXPECT_EQ(fan.GetWindDownPlays(), 1u);
    EXPECT_FALSE(fan.myPreRollClip.myIsLooping);
    EXPECT_FALSE(fan.IsBroken());
    EXPECT_TRUE(run.PendingRumble().empty());
    int frames = 0;
    while (!fan.IsBroken() && frames < 200)
    {
        run.Step();
        ++frames;
    }
    ASSERT_TRUE(fan.IsBroken());
    EXPECT_GE(frames, static_cast<int>((1.0f - preRollBefore) / (0.65f * DT)) - 2);
    EXPECT_EQ(fan.GetWindDownPlays(), 2u);
    EXPECT_EQ(fan.GetBreakPlays(), 1u);
    EXPECT_FALSE(fan.IsLoopPlaying());
    EXPECT_TRUE(fan.mySparks.IsRunning());
    ASSERT_EQ(run.PendingRumble().size(), 1u);
    EXPECT_FLOAT_EQ(run.PendingRumble()[0].myLow, 1.0f);
    EXPECT_FLOAT_EQ(run.PendingRumble()[0].myHigh, 1.0f);
    EXPECT_TRUE(PlayObjects::IsFanEventRunning(run.myWorld));
    // The break plays out at 0.65 speed; nothing is played again.
    for (int i = 0; i < 300; ++i)
        run.Step();
    EXPECT_EQ(fan.myBreakClip.myState, Qel::ANIMATION_STATE_FINISHED);
    EXPECT_EQ(fan.GetBreakPlays(), 1u);
    EXPECT_EQ(fan.GetWindDownPlays(), 2u);
    EXPECT_EQ(run.PendingRumble().size() <= 1u, true);
    EXPECT_TRUE(fan.IsBroken());
}

TEST(EventFan, ASecondFanSetsUpItsOwnBaseAndSoundsAndIsReported)
{
    ScriptRun run;
    run.ClearSounds();
    run.MakeFan(1000.0f, 0.0f);
    run.MakeFan(3000.0f, 0.0f);
    std::vector<EventFan>& fans = run.myWorld.myEventFans;
    ASSERT_EQ(fans.size(), 2u);
    run.Step();
    EXPECT_EQ(fans[0].GetFanPosition(), Qel::Vector3f(1000.0f, 900.0f, 3000.0f));
    EXPECT_EQ(fans[1].GetFanPosition(), Qel::Vector3f(3000.0f, 900.0f, 3000.0f));
    // Three sounds each, made once each, and both loops running.
    std::vector<std::string> made;
    for (const RecordingSoundBackend::Event& event : run.mySound.GetEvents())
        if (event.myOp == RecordingSoundBackend::Op::CreateSound)
            made.push_back(event.myPath);
    ASSERT_EQ(made.size(), 6u);
    for (const std::string& path : made)
        EXPECT_EQ(std::count(made.begin(), made.end(), path), 2) << path;
    EXPECT_TRUE(fans[0].IsLoopPlaying());
    EXPECT_TRUE(fans[1].IsLoopPlaying());
    int reported = 0;
    for (const std::string& message : run.myWorld.GetContentReport().GetMessages())
        reported += message.find("one event fan") != std::string::npos;
    EXPECT_EQ(reported, 1);
}

TEST(EventFan, SetUpAgainItLetsItsFormerSoundsGo)
{
    // Real sounds on the output's null device, so that held samples can be counted.
    ScriptRun run;
    EngineSoundBackend engine;
    GetAudioManager().SetBackend(&engine);
    const std::filesystem::path savedRoot = Qel::Settings::GetGameAssetsPath();
    QelTest::TempFolder root;
    Qel::Settings::GetGameAssetsPath() = root.Path();
    for (Qel::u8 sound : {INSTANCE_FAN_LOOP, INSTANCE_FAN_BREAKING, INSTANCE_FAN_FROM_TRIGGER})
        root.Write(GetInstanceSoundPath(sound), QelTest::Wav::Pcm16(1, 44100, {1, 2, 3, 4}));
    Qel::AudioOut& output = Qel::AudioOut::GetInstance();
    ASSERT_TRUE(output.IsInitialised());
    const std::size_t before = output.GetLoadedSamples().size();

    EventFan& fan = run.MakeFan(1000.0f, 0.0f);
    ASSERT_TRUE(fan.myLoopSound.IsLoaded());
    EXPECT_EQ(output.GetLoadedSamples().size(), before + 3);
    fan.SetupSounds();
    EXPECT_EQ(output.GetLoadedSamples().size(), before + 3);
    EXPECT_TRUE(fan.IsLoopPlaying());
    fan.StopSounds();
    EXPECT_EQ(output.GetLoadedSamples().size(), before);

    Qel::Settings::GetGameAssetsPath() = savedRoot;
    GetAudioManager().SetBackend(&run.mySound);
}

TEST(FanTrigger, WithoutAFanItFiresButShakesNothing)
{
    ScriptRun run;
    run.MakeTrigger(500.0f);
    PlacePlayer(run.myWorld.myPlayer, 500.0f, 0.0f);
    for (int i = 0; i < 3; ++i)
        run.Step();
    EXPECT_TRUE(run.myWorld.myFanTriggers[0].IsTriggered());
    EXPECT_FALSE(PlayObjects::IsFanEventRunning(run.myWorld));
}

TEST(EndingCutscene, TimelineMusicAndTheCommandToTheCredits)
{
    SetFallbackRenderSize(1000.0f, 1000.0f);
    ScriptRun run;
    const Props props = Props().Tag(Qel::ObjectTag::EndingCutscene).Model("models/hero_end.fbx").Clip("CutsceneAnimation", "c.fbx");
    run.myWorld.CreateObject(At(3000.0f, 0.0f), props.Data(), props.Count());
    EndingCutscene& ending = run.myWorld.myEndingCutscenes.back();
    ending.myClip = MakePlayer(30.0f, false);
    ending.myBlinkSystem = &run.mySparks;  // 1 s, non-looping

    run.Step();
    EXPECT_FALSE(ending.IsPlaying());
    PlacePlayer(run.myWorld.myPlayer, 3000.0f, 0.0f);
    run.ClearSounds();
    EXPECT_FALSE(run.Step());
    EXPECT_TRUE(ending.IsPlaying());
    EXPECT_TRUE(run.myWorld.myPlayer.IsLocked());
    const Qel::u32 endingMusic = AudioManager::GetSlot(SOUND_CATEGORY_MUSIC, 8);
    EXPECT_EQ(run.mySound.CountPlays(endingMusic), 1u);
    ASSERT_FALSE(GetAudioManager().GetFades().empty());
    EXPECT_EQ(GetAudioManager().GetFades().back().myId, 5);
    EXPECT_FLOAT_EQ(GetAudioManager().GetFades().back().myDuration, 2.0f);
    EXPECT_TRUE(PlayObjects::IsLevelClockStopped(run.myWorld));

    struct Sample
    {
        float myTime;
        float myZoom;
        float myRise;
        float mySide;
        float myTopBar;
    };
    auto e = [](float t) { return EndingCutscene::Ease(t); };
    const Sample samples[] = {
        {1.0f, 1.0f, 1050.0f * e(0.5f), 0.0f, 150.0f * e(1.0f / 3.0f)},
        {3.25f, 1.0f - 0.4f * e(0.5f), 1050.0f, -100.0f * e(0.5f), 150.0f},
        {5.0f, 0.6f, 1050.0f, -100.0f, 150.0f},
        {23.5f, 0.6f, 1050.0f, 100.0f, 150.0f},
        {28.5f, 0.55f, 1050.0f, 0.0f, 150.0f},
    };
    for (const Sample& s : samples)
    {
        SCOPED_TRACE(s.myTime);
        while (ending.GetTimer() < s.myTime - 1e-3f)
            ASSERT_FALSE(run.Step());
        EXPECT_NEAR(ending.GetCameraZoom(), s.myZoom, 2e-3f);
        EXPECT_NEAR(ending.GetCameraRise(), s.myRise, 1.0f);
        EXPECT_NEAR(ending.GetCameraSideOffset(), s.mySide, 0.5f);
        EXPECT_NEAR(ending.GetTopBar().myPosition.y, s.myTopBar, 0.5f);
        EXPECT_NEAR(ending.GetBottomBar().myPosition.y, 1000.0f - s.myTopBar + 150.0f, 0.5f);
    }
    // The blink starts near the clip's end at the posed first joint (it rises 10 a frame here).
    while (!ending.GetBlink().IsAlive())
        ASSERT_FALSE(run.Step());
    EXPECT_GT(ending.GetTimer(), 0.98f * 30.0f);
    const Qel::Vector3f blink = const_cast<Qel::ParticleSystemInstance&>(ending.GetBlink()).GetTransform().GetTranslation();
    EXPECT_FLOAT_EQ(blink.x, 3000.0f);
    EXPECT_NEAR(blink.y, 10.0f * std::floor(ending.myClip.myTime * 30.0f), 10.0f);
    // Done two seconds after the clip, once the blink is over: the credits follow and the
    // ending's music stops.
    while (!run.Step())
        ASSERT_LT(ending.GetTimer(), 40.0f);
    EXPECT_TRUE(ending.IsDone());
    EXPECT_GT(ending.GetTimer(), 32.0f);
    EXPECT_LT(ending.GetTimer(), 32.0f + 2.0f * DT);
    EXPECT_EQ(run.mySound.CountStops(endingMusic), 1u);
}

TEST(EndingCutscene, EndsTwoSecondsAfterItsClipOrBySkip)
{
    {
        ScriptRun run;
        const Props props = Props().Tag(Qel::ObjectTag::EndingCutscene).Model("m.fbx").Clip("CutsceneAnimation", "c.fbx");
        run.myWorld.CreateObject(At(0.0f, 0.0f), props.Data(), props.Count());
        EndingCutscene& ending = run.myWorld.myEndingCutscenes.back();
        ending.myClip = MakePlayer(10.0f, false);
        run.Step();
        while (!run.Step())
            ASSERT_LT(ending.GetTimer(), 20.0f);
        EXPECT_NEAR(ending.GetTimer(), 12.0f, 2.0f * DT);
    }
    ScriptRun run;
    const Props props = Props().Tag(Qel::ObjectTag::EndingCutscene).Model("models/hero_end.fbx").Clip("CutsceneAnimation", "c.fbx");
    run.myWorld.CreateObject(At(0.0f, 0.0f), props.Data(), props.Count());
    EndingCutscene& ending = run.myWorld.myEndingCutscenes.back();
    ending.myClip = MakePlayer(1.0f, false);
    Qel::ParticleSystem looping;
    looping.isLoop = true;
    ending.myBlinkSystem = &looping;
    run.Step();
    ASSERT_TRUE(ending.IsPlaying());
    for (int i = 0; i < 600; ++i)
        ASSERT_FALSE(run.Step());
    EXPECT_TRUE(ending.IsPlaying());
    run.HoldKeys({0x1B});  // escape: the skip action
    const bool skipped = run.Step();
    EXPECT_TRUE(skipped);
}
