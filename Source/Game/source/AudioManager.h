#pragma once
// Every sound of the game in one fixed table, loaded once at start, in three categories (music,
// ambience, effects) with a volume each, and the fade-outs in progress. Screens and game objects
// play sounds by category and id (the position in the table). A second list names the sounds that
// enemies and the fan load into handles of their own (CreateSound), because each such object
// needs its own looping copy. Main thread only.
#include "SoundBackend.h"
#include "audio/Audio.h"
#include "core/Types.h"

#include <vector>

enum SoundCategory : Qel::u8
{
    SOUND_CATEGORY_MUSIC = 0,
    SOUND_CATEGORY_AMBIENT = 1,
    SOUND_CATEGORY_EFFECTS = 2,
};

inline constexpr Qel::u32 MUSIC_COUNT = 9;
inline constexpr Qel::u32 AMBIENT_COUNT = 3;
inline constexpr Qel::u32 EFFECT_COUNT = 59;
inline constexpr Qel::u32 INSTANCE_SOUND_COUNT = 30;
inline constexpr Qel::u32 TABLE_SOUND_COUNT = MUSIC_COUNT + AMBIENT_COUNT + EFFECT_COUNT;

enum MusicId : Qel::u8
{
    MUSIC_CHAPTER1_LEVEL1 = 0,
    MUSIC_CHAPTER1_LEVEL2 = 1,
    MUSIC_CHAPTER1_LEVEL3 = 2,
    MUSIC_CHAPTER2_LEVEL1 = 3,
    MUSIC_CHAPTER2_LEVEL2 = 4,
    MUSIC_CHAPTER2_LEVEL3 = 5,
    MUSIC_MENU = 6,
    MUSIC_INTRO = 7,
    MUSIC_ENDING = 8,
};

enum AmbientId : Qel::u8
{
    AMBIENT_LEVEL1 = 0,
    AMBIENT_LEVEL2 = 1,
    AMBIENT_LEVEL3 = 2,
};

enum EffectId : Qel::u8
{
    SFX_FOOTSTEP_CONCRETE_1 = 0,   // .. 3
    SFX_FOOTSTEP_HOLLOW_1 = 4,     // .. 7
    SFX_FOOTSTEP_METAL_1 = 8,      // .. 11
    SFX_SLIDE_1 = 12,
    SFX_SLIDE_2 = 13,
    SFX_PLAYER_DEATH = 14,
    SFX_GROUND_POUND_ACTIVATE = 15,
    SFX_GROUND_POUND_LAND = 16,
    SFX_DUCK = 17,
    SFX_RISE = 18,
    SFX_JUMP_1 = 19,
    SFX_JUMP_2 = 20,
    SFX_FALL = 21,
    SFX_LAND_1 = 22,
    SFX_LAND_2 = 23,
    SFX_SHOOT_1 = 24,              // .. 27
    SFX_GRENADE_BOUNCE_1 = 28,
    SFX_GRENADE_BOUNCE_2 = 29,
    SFX_GRENADE_EXPLODE_1 = 30,    // .. 33
    SFX_LIFE_1 = 34,               // .. 37
    SFX_ENEMY_DEATH = 38,
    SFX_BEETLE_CANNON = 39,
    SFX_BLOCK_BREAK_1 = 40,        // .. 43
    SFX_POWER_BLOCK_HIT = 44,
    SFX_HIT_HEAD = 45,
    SFX_CHECKPOINT = 46,
    SFX_ZIPLINE_ACTIVATE = 47,
    SFX_ZIPLINE_RIDING = 48,       // loops
    SFX_COLLECT_BATTERY = 49,
    SFX_COLLECT_GRENADE = 50,
    SFX_COLLECT_LIFE = 51,
    SFX_COLLECT_SHIELD = 52,
    SFX_UI_ACCEPT = 53,
    SFX_UI_CANCEL = 54,
    SFX_UI_GAME_OVER = 55,
    SFX_UI_MOVE_SELECTION = 56,
    SFX_UI_START = 57,
    SFX_INTRO_CUTSCENE = 58,
};

enum InstanceSoundId : Qel::u8
{
    INSTANCE_BEETLE_IDLE_LOOP = 0,
    INSTANCE_OWL_IDLE_LOOP = 1,
    INSTANCE_OWL_FOOTSTEPS_1 = 2,      // .. 5
    INSTANCE_FLYING_OWL_1 = 6,         // .. 12
    INSTANCE_MOLE_IDLE_LOOP_1 = 13,
    INSTANCE_MOLE_IDLE_LOOP_2 = 14,
    INSTANCE_MOLE_UP_1 = 15,           // .. 20
    INSTANCE_MOLE_DOWN_1 = 21,         // .. 26
    INSTANCE_FAN_LOOP = 27,
    INSTANCE_FAN_BREAKING = 28,
    INSTANCE_FAN_FROM_TRIGGER = 29,
};

// One queued fade-out.
struct AudioFade
{
    Qel::u8 myCategory = SOUND_CATEGORY_MUSIC;
    Qel::u8 myId = 0;
    float myStartVolume = 0.0f;
    float myDuration = 0.0f;
    float myElapsed = 0.0f;
};

// The table itself, for the content build and its tests.
struct SoundTableEntry
{
    const char* myPath;
    bool myLoop;
};
const SoundTableEntry& GetMusicEntry(Qel::u8 aId);
const SoundTableEntry& GetAmbientEntry(Qel::u8 aId);
const SoundTableEntry& GetEffectEntry(Qel::u8 aId);
const char* GetInstanceSoundPath(Qel::u8 aEntry);

class AudioManager
{
public:
    AudioManager();
    virtual ~AudioManager();
    AudioManager(const AudioManager&) = delete;
    AudioManager& operator=(const AudioManager&) = delete;

    // Loads the whole table; the first load starts the sound output.
    void Init();
    // Starts reading the files of the sound table that Init loads, on worker threads.
    static void Prefetch();

    // Ids outside the table do nothing.
    void PlayMusic(Qel::u8 aId);
    void PlayAmbient(Qel::u8 aId);
    void PlaySfx(Qel::u8 aId);
    // One effect from aFirst to aLast inclusive, drawn from the game's random engine.
    void PlayRandomSfx(Qel::u8 aFirst, Qel::u8 aLast);
    // At once, rewound.
    void StopMusic(Qel::u8 aId);
    void StopAmbient(Qel::u8 aId);
    void StopSfx(Qel::u8 aId);

    void SetMusicVolume(float aVolume);
    // The effects and the ambience share this volume.
    void SetSfxVolume(float aVolume);
    float GetMusicVolume() const { return myMusicVolume; }
    float GetSfxVolume() const { return mySfxVolume; }
    float GetAmbientVolume() const { return myAmbientVolume; }

    // Linear ramps to silence, then the sound stops and gets its category's volume back. A
    // length of zero (or less) stops it at the next update.
    void FadeOutMusic(Qel::u8 aId, float aSeconds);
    void FadeOutSfx(Qel::u8 aId, float aSeconds);

    // A new handle on an instance sound; the caller owns it (and unloads it when done).
    Qel::Audio CreateSound(Qel::u8 aEntry, bool aLoop);

    // Advances the fades; once per frame.
    void Update(float aDeltaTime);

    bool IsMusicPlaying(Qel::u8 aId) const;
    // Back at the main menu: every other track and every ambience stops (their fades with them),
    // and the menu track plays, once, unless it already does.
    void ReturnToMenuMusic();

    const std::vector<AudioFade>& GetFades() const { return myFades; }

    // Tests and headless runs: the backend every later call uses (null: the engine's).
    void SetBackend(SoundBackend* aBackend);
    SoundBackend& GetBackend() { return *myBackend; }

    static Qel::u32 GetSlot(Qel::u8 aCategory, Qel::u8 aId);

private:
    void ApplyVolume(Qel::u8 aCategory, Qel::u8 aId, float aVolume);
    float GetCategoryVolume(Qel::u8 aCategory) const;
    void DropFades(Qel::u8 aCategory, Qel::u8 aId);

    EngineSoundBackend myEngineBackend;
    SoundBackend* myBackend = &myEngineBackend;
    std::vector<AudioFade> myFades;
    float myMusicVolume = 0.6f;
    float myAmbientVolume = 0.6f;
    float mySfxVolume = 0.6f;
};
