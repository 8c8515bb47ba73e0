#include "AudioManager.h"
#include "FlowFixture.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

using Op = RecordingSoundBackend::Op;
using Qel::u32;
using Qel::u8;

namespace
{
u32 Music(u8 aId) { return AudioManager::GetSlot(SOUND_CATEGORY_MUSIC, aId); }
u32 Ambient(u8 aId) { return AudioManager::GetSlot(SOUND_CATEGORY_AMBIENT, aId); }
u32 Effect(u8 aId) { return AudioManager::GetSlot(SOUND_CATEGORY_EFFECTS, aId); }
}

TEST(AudioManager, InitLoadsTheWholeTableWithItsLoopFlags)
{
    RecordingSoundBackend backend;
    AudioManager audio;
    audio.SetBackend(&backend);
    audio.Init();
    std::set<std::string> paths;
    std::set<u32> looping;
    u32 loads = 0;
    for (const auto& event : backend.GetEvents())
    {
        ASSERT_EQ(event.myOp, Op::Load);
        ++loads;
        paths.insert(event.myPath);
        if (event.myValue != 0.0f)
            looping.insert(event.mySlot);
    }
    EXPECT_EQ(loads, TABLE_SOUND_COUNT);
    EXPECT_EQ(paths.size(), 71u);
    const std::set<u32> expectedLoops = {Music(0), Music(1),   Music(2),   Music(3),   Music(4),  Music(5),
                                         Music(6), Ambient(0), Ambient(1), Ambient(2), Effect(48)};
    EXPECT_EQ(looping, expectedLoops);
    EXPECT_TRUE(paths.count("audio/Music/Music_Menu.wav"));
    EXPECT_TRUE(paths.count("audio/Ambient/AMB_Level3_Loop.wav"));
    EXPECT_TRUE(paths.count("audio/SFX/SFX_Level_Tiles_Zipline_Riding.wav"));
    EXPECT_STREQ(GetEffectEntry(SFX_UI_START).myPath, "audio/SFX/UI_Start.wav");
    EXPECT_STREQ(GetEffectEntry(SFX_FOOTSTEP_CONCRETE_1).myPath, "audio/SFX/SFX_Player_Footsteps_Concrete_1.wav");
    EXPECT_STREQ(GetInstanceSoundPath(INSTANCE_FAN_FROM_TRIGGER), "audio/SFX/ScriptedEvent_Fan_From_Trigger.wav");

    // Instance sounds come as handles of their own, with the caller's loop flag.
    backend.ClearEvents();
    audio.CreateSound(INSTANCE_MOLE_IDLE_LOOP_2, true);
    audio.CreateSound(INSTANCE_SOUND_COUNT, true);   // outside the list: nothing
    ASSERT_EQ(backend.GetEvents().size(), 1u);
    EXPECT_EQ(backend.GetEvents()[0].myPath, "audio/SFX/SFX_Pipe_Mole_Idle_Noise_Loop_v2.wav");
    EXPECT_EQ(backend.GetEvents()[0].myValue, 1.0f);
}

TEST(AudioManager, PlayAndStopReachTheRightSoundAndIdsOutsideTheTableDoNothing)
{
    RecordingSoundBackend backend;
    AudioManager audio;
    audio.SetBackend(&backend);
    audio.PlayMusic(MUSIC_MENU);
    audio.PlayAmbient(AMBIENT_LEVEL2);
    audio.PlaySfx(SFX_UI_ACCEPT);
    audio.StopSfx(SFX_ZIPLINE_RIDING);
    audio.PlayMusic(9);
    audio.PlayAmbient(3);
    audio.PlaySfx(59);
    audio.StopMusic(200);
    const auto& events = backend.GetEvents();
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[0].mySlot, Music(6));
    EXPECT_EQ(events[1].mySlot, Ambient(1));
    EXPECT_EQ(events[2].mySlot, Effect(53));
    EXPECT_EQ(events[3].myOp, Op::Stop);
    EXPECT_EQ(events[3].mySlot, Effect(48));
    EXPECT_TRUE(audio.IsMusicPlaying(MUSIC_MENU));
}

TEST(AudioManager, TheEffectsVolumeAlsoSetsTheAmbienceButNotTheMusic)
{
    RecordingSoundBackend backend;
    AudioManager audio;
    audio.SetBackend(&backend);
    audio.SetMusicVolume(0.6f);
    audio.SetSfxVolume(0.3f);
    for (u8 id = 0; id < EFFECT_COUNT; ++id)
        EXPECT_FLOAT_EQ(backend.GetVolume(Effect(id)), 0.3f);
    for (u8 id = 0; id < AMBIENT_COUNT; ++id)
        EXPECT_FLOAT_EQ(backend.GetVolume(Ambient(id)), 0.3f);
    for (u8 id = 0; id < MUSIC_COUNT; ++id)
        EXPECT_FLOAT_EQ(backend.GetVolume(Music(id)), 0.6f);
    audio.SetMusicVolume(0.1f);
    EXPECT_FLOAT_EQ(backend.GetVolume(Music(8)), 0.1f);
    EXPECT_FLOAT_EQ(backend.GetVolume(Effect(0)), 0.3f);
    EXPECT_FLOAT_EQ(audio.GetMusicVolume(), 0.1f);
    EXPECT_FLOAT_EQ(audio.GetSfxVolume(), 0.3f);
    EXPECT_FLOAT_EQ(audio.GetAmbientVolume(), 0.3f);
}

TEST(AudioManager, AFadeRampsToSilenceThenStopsAndRestoresTheVolume)
{
    RecordingSoundBackend backend;
    AudioManager audio;
    audio.SetBackend(&backend);
    audio.SetSfxVolume(0.6f);
    audio.PlaySfx(SFX_UI_ACCEPT);
    audio.FadeOutSfx(SFX_UI_ACCEPT, 1.0f);
    const float expected[] = {0.45f, 0.3f, 0.15f};
    for (float volume : expected)
    {
        audio.Update(0.25f);
        EXPECT_NEAR(backend.GetVolume(Effect(53)), volume, 1e-6);
        EXPECT_EQ(backend.CountStops(Effect(53)), 0u);
    }
    audio.Update(0.25f);
    EXPECT_EQ(backend.CountStops(Effect(53)), 1u);
    EXPECT_FLOAT_EQ(backend.GetVolume(Effect(53)), 0.6f);
    EXPECT_TRUE(audio.GetFades().empty());

    // Music fades start from the music volume.
    audio.SetMusicVolume(0.8f);
    audio.FadeOutMusic(MUSIC_MENU, 2.0f);
    audio.Update(0.5f);
    EXPECT_NEAR(backend.GetVolume(Music(6)), 0.6f, 1e-6);
}

TEST(AudioManager, AFadeOfNoLengthStopsAtOnceWithoutANaNVolume)
{
    RecordingSoundBackend backend;
    AudioManager audio;
    audio.SetBackend(&backend);
    audio.SetMusicVolume(0.6f);
    for (float length : {0.0f, -1.0f})
    {
        backend.ClearEvents();
        audio.FadeOutMusic(MUSIC_INTRO, length);
        audio.Update(0.0f);
        EXPECT_EQ(backend.CountStops(Music(7)), 1u) << length;
        for (const auto& event : backend.GetEvents())
            if (event.myOp == Op::SetVolume)
            {
                EXPECT_FALSE(event.myValue != event.myValue) << "NaN volume";
            }
        EXPECT_FLOAT_EQ(backend.GetVolume(Music(7)), 0.6f);
        EXPECT_TRUE(audio.GetFades().empty());
    }
}

TEST(AudioManager, TwoFadesOnOneSoundBothRun)
{
    RecordingSoundBackend backend;
    AudioManager audio;
    audio.SetBackend(&backend);
    audio.SetSfxVolume(0.6f);
    audio.FadeOutSfx(SFX_INTRO_CUTSCENE, 0.5f);
    audio.FadeOutSfx(SFX_INTRO_CUTSCENE, 1.0f);
    audio.Update(0.5f);   // the short one ends: stop, volume back; the long one then lowers it
    EXPECT_EQ(backend.CountStops(Effect(58)), 1u);
    EXPECT_NEAR(backend.GetVolume(Effect(58)), 0.3f, 1e-6);
    EXPECT_EQ(audio.GetFades().size(), 1u);
    audio.Update(0.5f);
    EXPECT_EQ(backend.CountStops(Effect(58)), 2u);
    EXPECT_FLOAT_EQ(backend.GetVolume(Effect(58)), 0.6f);
    EXPECT_TRUE(audio.GetFades().empty());
}

TEST(AudioManager, RandomEffectsStayInTheirRangeAndCoverIt)
{
    RecordingSoundBackend backend;
    AudioManager audio;
    audio.SetBackend(&backend);
    GetRandomEngine().seed(1234);
    for (int i = 0; i < 200; ++i)
        audio.PlayRandomSfx(SFX_JUMP_1, SFX_JUMP_2);
    const u32 first = backend.CountPlays(Effect(19));
    const u32 second = backend.CountPlays(Effect(20));
    EXPECT_EQ(first + second, 200u);
    EXPECT_GT(first, 70u);
    EXPECT_GT(second, 70u);
    backend.ClearEvents();
    for (int i = 0; i < 20; ++i)
        audio.PlayRandomSfx(SFX_UI_ACCEPT, SFX_UI_ACCEPT);
    EXPECT_EQ(backend.CountPlays(Effect(53)), 20u);

    // The same seed gives the same effects.
    const auto draw = [&] {
        backend.ClearEvents();
        GetRandomEngine().seed(99);
        for (int i = 0; i < 10; ++i)
            audio.PlayRandomSfx(SFX_LIFE_1, SFX_LIFE_1 + 3);
        std::vector<u32> slots;
        for (const auto& event : backend.GetEvents())
            slots.push_back(event.mySlot);
        return slots;
    };
    EXPECT_EQ(draw(), draw());
}

TEST(AudioManager, BackAtTheMenuOnlyTheMenuTrackPlaysAndOnlyOnce)
{
    RecordingSoundBackend backend;
    AudioManager audio;
    audio.SetBackend(&backend);
    audio.SetMusicVolume(0.6f);
    // From a level: its track and its ambience play, the menu track does not.
    audio.PlayMusic(MUSIC_CHAPTER2_LEVEL1);
    audio.PlayAmbient(AMBIENT_LEVEL2);
    audio.ReturnToMenuMusic();
    EXPECT_FALSE(audio.IsMusicPlaying(MUSIC_CHAPTER2_LEVEL1));
    EXPECT_FALSE(backend.IsPlaying(Ambient(1)));
    EXPECT_TRUE(audio.IsMusicPlaying(MUSIC_MENU));
    EXPECT_EQ(backend.CountPlays(Music(6)), 1u);
    // Already at the menu (credits "Back", level select "Back"): the track goes on, not restarted.
    audio.ReturnToMenuMusic();
    EXPECT_EQ(backend.CountPlays(Music(6)), 1u);
    EXPECT_EQ(backend.CountStops(Music(6)), 0u);
    // A fade of the menu track queued before (the intro's) would silence it later: it goes.
    audio.FadeOutMusic(MUSIC_MENU, 1.0f);
    audio.FadeOutMusic(MUSIC_ENDING, 1.0f);
    audio.ReturnToMenuMusic();
    EXPECT_TRUE(audio.GetFades().empty());
    audio.Update(2.0f);
    EXPECT_TRUE(audio.IsMusicPlaying(MUSIC_MENU));
    EXPECT_FLOAT_EQ(backend.GetVolume(Music(6)), 0.6f);
}
