#include "AudioManager.h"

#include "GameGlobals.h"
#include "math/Random.h"

#include <algorithm>

using Qel::u32;
using Qel::u8;

namespace
{
#define MUSIC(name) "audio/Music/" name
#define AMBIENT(name) "audio/Ambient/" name
#define SFX(name) "audio/SFX/" name

constexpr SoundTableEntry MUSIC_TABLE[MUSIC_COUNT] = {
    {MUSIC("Gameplay_Music_Chapter1_Level1.wav"), true},
    {MUSIC("Gameplay_Music_Chapter1_Level2.wav"), true},
    {MUSIC("Gameplay_Music_Chapter1_Level3.wav"), true},
    {MUSIC("Gameplay_Music_Chapter2_Level1.wav"), true},
    {MUSIC("Gameplay_Music_Chapter2_Level2.wav"), true},
    {MUSIC("Gameplay_Music_Chapter2_Level3.wav"), true},
    {MUSIC("Music_Menu.wav"), true},
    {MUSIC("intro_cutscene_music.wav"), false},
    {MUSIC("Ending_Cutscene.wav"), false},
};

constexpr SoundTableEntry AMBIENT_TABLE[AMBIENT_COUNT] = {
    {AMBIENT("AMB_Level1_Loop.wav"), true},
    {AMBIENT("AMB_Level2_Loop.wav"), true},
    {AMBIENT("AMB_Level3_Loop.wav"), true},
};

constexpr SoundTableEntry EFFECT_TABLE[EFFECT_COUNT] = {
    {SFX("SFX_Player_Footsteps_Concrete_1.wav"), false},
    {SFX("SFX_Player_Footsteps_Concrete_2.wav"), false},
    {SFX("SFX_Player_Footsteps_Concrete_3.wav"), false},
    {SFX("SFX_Player_Footsteps_Concrete_4.wav"), false},
    {SFX("SFX_Player_Footsteps_Hollow_1.wav"), false},
    {SFX("SFX_Player_Footsteps_Hollow_2.wav"), false},
    {SFX("SFX_Player_Footsteps_Hollow_3.wav"), false},
    {SFX("SFX_Player_Footsteps_Hollow_4.wav"), false},
    {SFX("SFX_Player_Footsteps_Metal_1.wav"), false},
    {SFX("SFX_Player_Footsteps_Metal_2.wav"), false},
    {SFX("SFX_Player_Footsteps_Metal_3.wav"), false},
    {SFX("SFX_Player_Footsteps_Metal_4.wav"), false},
    {SFX("SFX_Player_Slide_1.wav"), false},
    {SFX("SFX_Player_Slide_2.wav"), false},
    {SFX("SFX_Player_Death.wav"), false},
    {SFX("SFX_Player_Ground_Pound_Activate.wav"), false},
    {SFX("SFX_Player_Ground_Pound_Land.wav"), false},
    {SFX("SFX_Player_Duck.wav"), false},
    {SFX("SFX_Player_Rise.wav"), false},
    {SFX("SFX_Player_Jump_1.wav"), false},
    {SFX("SFX_Player_Jump_2.wav"), false},
    {SFX("SFX_Player_Fall.wav"), false},
    {SFX("SFX_Player_Land_1.wav"), false},
    {SFX("SFX_Player_Land_2.wav"), false},
    {SFX("SFX_Player_Shoot_1.wav"), false},
    {SFX("SFX_Player_Shoot_2.wav"), false},
    {SFX("SFX_Player_Shoot_3.wav"), false},
    {SFX("SFX_Player_Shoot_4.wav"), false},
    {SFX("SFX_Player_Grenade_Bounce_1.wav"), false},
    {SFX("SFX_Player_Grenade_Bounce_2.wav"), false},
    {SFX("SFX_Player_Grenade_Explode.wav"), false},
    {SFX("SFX_Player_Grenade_Explode_2.wav"), false},
    {SFX("SFX_Player_Grenade_Explode_3.wav"), false},
    {SFX("SFX_Player_Grenade_Explode_4.wav"), false},
    {SFX("SFX_Player_Life_1.wav"), false},
    {SFX("SFX_Player_Life_2.wav"), false},
    {SFX("SFX_Player_Life_3.wav"), false},
    {SFX("SFX_Player_Life_4.wav"), false},
    {SFX("SFX_Enemy_Death.wav"), false},
    {SFX("SFX_Beetle_Tank_Cannon_Shoot.wav"), false},
    {SFX("SFX_Level_Tiles_Block_Break.wav"), false},
    {SFX("SFX_Level_Tiles_Block_Break_1.wav"), false},
    {SFX("SFX_Level_Tiles_Block_Break_2.wav"), false},
    {SFX("SFX_Level_Tiles_Block_Break_3.wav"), false},
    {SFX("SFX_Level_Tiles_PowerBlockHit.wav"), false},
    {SFX("SFX_Player_Hit_Head.wav"), false},
    {SFX("SFX_Checkpoint.wav"), false},
    {SFX("SFX_Level_Tiles_Zipline_Activate.wav"), false},
    {SFX("SFX_Level_Tiles_Zipline_Riding.wav"), true},
    {SFX("SFX_Player_Collect_Battery.wav"), false},
    {SFX("SFX_Player_Collect_Powerup_Grenade.wav"), false},
    {SFX("SFX_Player_Collect_Powerup_Life.wav"), false},
    {SFX("SFX_Player_Collect_Powerup_Shield.wav"), false},
    {SFX("UI_Accept.wav"), false},
    {SFX("UI_Cancel.wav"), false},
    {SFX("UI_GameOver.wav"), false},
    {SFX("UI_MoveSelection.wav"), false},
    {SFX("UI_Start.wav"), false},
    {SFX("intro_cutscene_sfx.wav"), false},
};

constexpr const char* INSTANCE_SOUNDS[INSTANCE_SOUND_COUNT] = {
    SFX("SFX_Beetle_Beetle_Idle_Noise_Loop.wav"),
    SFX("SFX_MiniOwl_Owl_Idle_Noise_Loop.wav"),
    SFX("SFX_MiniOwl_Footsteps_Variation1.wav"),
    SFX("SFX_MiniOwl_Footsteps_Variation2.wav"),
    SFX("SFX_MiniOwl_Footsteps_Variation3.wav"),
    SFX("SFX_MiniOwl_Footsteps_Variation4.wav"),
    SFX("SFX_Flying_Mini_Owl_Variation1.wav"),
    SFX("SFX_Flying_Mini_Owl_Variation2.wav"),
    SFX("SFX_Flying_Mini_Owl_Variation3.wav"),
    SFX("SFX_Flying_Mini_Owl_Variation4.wav"),
    SFX("SFX_Flying_Mini_Owl_Variation5.wav"),
    SFX("SFX_Flying_Mini_Owl_Variation6.wav"),
    SFX("SFX_Flying_Mini_Owl_Variation7.wav"),
    SFX("SFX_Pipe_Mole_Idle_Noise_Loop_v1.wav"),
    SFX("SFX_Pipe_Mole_Idle_Noise_Loop_v2.wav"),
    SFX("SFX_Pipe_Mole_Up_1.wav"),
    SFX("SFX_Pipe_Mole_Up_2.wav"),
    SFX("SFX_Pipe_Mole_Up_3.wav"),
    SFX("SFX_Pipe_Mole_Up_4.wav"),
    SFX("SFX_Pipe_Mole_Up_5.wav"),
    SFX("SFX_Pipe_Mole_Up_6.wav"),
    SFX("SFX_Pipe_Mole_Down_1.wav"),
    SFX("SFX_Pipe_Mole_Down_2.wav"),
    SFX("SFX_Pipe_Mole_Down_3.wav"),
    SFX("SFX_Pipe_Mole_Down_4.wav"),
    SFX("SFX_Pipe_Mole_Down_5.wav"),
    SFX("SFX_Pipe_Mole_Down_6.wav"),
    SFX("Scripted_Event_Fan_Loop.wav"),
    SFX("ScriptedEvent_Fan_Breaking.wav"),
    SFX("ScriptedEvent_Fan_From_Trigger.wav"),
};

#undef MUSIC
#undef AMBIENT
#undef SFX

constexpr SoundTableEntry NO_ENTRY = {"", false};

u32 CategoryCount(u8 aCategory)
{
    switch (aCategory)
    {
    case SOUND_CATEGORY_MUSIC: return MUSIC_COUNT;
    case SOUND_CATEGORY_AMBIENT: return AMBIENT_COUNT;
    case SOUND_CATEGORY_EFFECTS: return EFFECT_COUNT;
    default: return 0;
    }
}

constexpr u32 NO_SLOT = 0xFFFFFFFFu;
}

const SoundTableEntry& GetMusicEntry(u8 aId) { return aId < MUSIC_COUNT ? MUSIC_TABLE[aId] : NO_ENTRY; }
const SoundTableEntry& GetAmbientEntry(u8 aId) { return aId < AMBIENT_COUNT ? AMBIENT_TABLE[aId] : NO_ENTRY; }
const SoundTableEntry& GetEffectEntry(u8 aId) { return aId < EFFECT_COUNT ? EFFECT_TABLE[aId] : NO_ENTRY; }
const char* GetInstanceSoundPath(u8 aEntry) { return aEntry < INSTANCE_SOUND_COUNT ? INSTANCE_SOUNDS[aEntry] : ""; }

u32 AudioManager::GetSlot(u8 aCategory, u8 aId)
{
    if (aId >= CategoryCount(aCategory))
        return NO_SLOT;
    switch (aCategory)
    {
    case SOUND_CATEGORY_MUSIC: return aId;
    case SOUND_CATEGORY_AMBIENT: return MUSIC_COUNT + aId;
    default: return MUSIC_COUNT + AMBIENT_COUNT + aId;
    }
}

AudioManager::AudioManager() { myFades.reserve(16); }

AudioManager::~AudioManager() = default;

void AudioManager::SetBackend(SoundBackend* aBackend) { myBackend = aBackend ? aBackend : &myEngineBackend; }

void AudioManager::Prefetch()
{
    for (const SoundTableEntry& entry : MUSIC_TABLE)
        Qel::Audio::Prefetch(entry.myPath);
    for (const SoundTableEntry& entry : AMBIENT_TABLE)
        Qel::Audio::Prefetch(entry.myPath);
    for (const SoundTableEntry& entry : EFFECT_TABLE)
        Qel::Audio::Prefetch(entry.myPath);
}

void AudioManager::Init()
{
    for (u8 id = 0; id < MUSIC_COUNT; ++id)
        myBackend->Load(GetSlot(SOUND_CATEGORY_MUSIC, id), MUSIC_TABLE[id].myPath, MUSIC_TABLE[id].myLoop);
    for (u8 id = 0; id < AMBIENT_COUNT; ++id)
        myBackend->Load(GetSlot(SOUND_CATEGORY_AMBIENT, id), AMBIENT_TABLE[id].myPath, AMBIENT_TABLE[id].myLoop);
    for (u8 id = 0; id < EFFECT_COUNT; ++id)
        myBackend->Load(GetSlot(SOUND_CATEGORY_EFFECTS, id), EFFECT_TABLE[id].myPath, EFFECT_TABLE[id].myLoop);
}

void AudioManager::PlayMusic(u8 aId)
{
    if (const u32 slot = GetSlot(SOUND_CATEGORY_MUSIC, aId); slot != NO_SLOT)
        myBackend->Play(slot);
}

void AudioManager::PlayAmbient(u8 aId)
{
    if (const u32 slot = GetSlot(SOUND_CATEGORY_AMBIENT, aId); slot != NO_SLOT)
        myBackend->Play(slot);
}

void AudioManager::PlaySfx(u8 aId)
{
    if (const u32 slot = GetSlot(SOUND_CATEGORY_EFFECTS, aId); slot != NO_SLOT)
        myBackend->Play(slot);
}

void AudioManager::PlayRandomSfx(u8 aFirst, u8 aLast)
{
    PlaySfx(static_cast<u8>(Qel::GetRandomInt(GetRandomEngine(), aFirst, aLast)));
}

void AudioManager::StopMusic(u8 aId)
{
    if (const u32 slot = GetSlot(SOUND_CATEGORY_MUSIC, aId); slot != NO_SLOT)
        myBackend->Stop(slot);
}

void AudioManager::StopAmbient(u8 aId)
{
    if (const u32 slot = GetSlot(SOUND_CATEGORY_AMBIENT, aId); slot != NO_SLOT)
        myBackend->Stop(slot);
}

void AudioManager::StopSfx(u8 aId)
{
    if (const u32 slot = GetSlot(SOUND_CATEGORY_EFFECTS, aId); slot != NO_SLOT)
        myBackend->Stop(slot);
}

void AudioManager::SetMusicVolume(float aVolume)
{
    myMusicVolume = aVolume;
    for (u8 id = 0; id < MUSIC_COUNT; ++id)
        myBackend->SetVolume(GetSlot(SOUND_CATEGORY_MUSIC, id), aVolume);
}

void AudioManager::SetSfxVolume(float aVolume)
{
    mySfxVolume = aVolume;
    myAmbientVolume = aVolume;
    for (u8 id = 0; id < EFFECT_COUNT; ++id)
        myBackend->SetVolume(GetSlot(SOUND_CATEGORY_EFFECTS, id), mySfxVolume);
    for (u8 id = 0; id < AMBIENT_COUNT; ++id)
        myBackend->SetVolume(GetSlot(SOUND_CATEGORY_AMBIENT, id), myAmbientVolume);
}

void AudioManager::FadeOutMusic(u8 aId, float aSeconds)
{
    myFades.push_back({SOUND_CATEGORY_MUSIC, aId, myMusicVolume, aSeconds, 0.0f});
}

void AudioManager::FadeOutSfx(u8 aId, float aSeconds)
{
    myFades.push_back({SOUND_CATEGORY_EFFECTS, aId, mySfxVolume, aSeconds, 0.0f});
}

Qel::Audio AudioManager::CreateSound(u8 aEntry, bool aLoop)
{
    if (aEntry >= INSTANCE_SOUND_COUNT)
        return Qel::Audio();
    return myBackend->CreateSound(INSTANCE_SOUNDS[aEntry], aLoop);
}

float AudioManager::GetCategoryVolume(u8 aCategory) const
{
    switch (aCategory)
    {
    case SOUND_CATEGORY_MUSIC: return myMusicVolume;
    case SOUND_CATEGORY_AMBIENT: return myAmbientVolume;
    default: return mySfxVolume;
    }
}

void AudioManager::ApplyVolume(u8 aCategory, u8 aId, float aVolume)
{
    if (const u32 slot = GetSlot(aCategory, aId); slot != NO_SLOT)
        myBackend->SetVolume(slot, aVolume);
}

void AudioManager::Update(float aDeltaTime)
{
    for (size_t i = 0; i < myFades.size();)
    {
        AudioFade& fade = myFades[i];
        const u32 slot = GetSlot(fade.myCategory, fade.myId);
        if (slot == NO_SLOT)
        {
            myFades.erase(myFades.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        fade.myElapsed += aDeltaTime;
        // A fade of no length (or a broken one) ends at once rather than dividing by zero.
        const float f = fade.myDuration > 0.0f ? std::min(1.0f, fade.myElapsed / fade.myDuration) : 1.0f;
        myBackend->SetVolume(slot, (1.0f - f) * fade.myStartVolume);
        if (f >= 1.0f)
        {
            myBackend->Stop(slot);
            myBackend->SetVolume(slot, GetCategoryVolume(fade.myCategory));
            myFades.erase(myFades.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        ++i;
    }
}

bool AudioManager::IsMusicPlaying(u8 aId) const
{
    const u32 slot = GetSlot(SOUND_CATEGORY_MUSIC, aId);
    return slot != NO_SLOT && myBackend->IsPlaying(slot);
}

void AudioManager::DropFades(u8 aCategory, u8 aId)
{
    std::erase_if(myFades, [&](const AudioFade& aFade) { return aFade.myCategory == aCategory && aFade.myId == aId; });
}

void AudioManager::ReturnToMenuMusic()
{
    for (u8 id = 0; id < MUSIC_COUNT; ++id)
    {
        if (id == MUSIC_MENU)
            continue;
        DropFades(SOUND_CATEGORY_MUSIC, id);
        StopMusic(id);
        ApplyVolume(SOUND_CATEGORY_MUSIC, id, myMusicVolume);
    }
    for (u8 id = 0; id < AMBIENT_COUNT; ++id)
    {
        DropFades(SOUND_CATEGORY_AMBIENT, id);
        StopAmbient(id);
        ApplyVolume(SOUND_CATEGORY_AMBIENT, id, myAmbientVolume);
    }
    // A fade of the menu track still running would silence it later; it stays at full volume.
    DropFades(SOUND_CATEGORY_MUSIC, MUSIC_MENU);
    ApplyVolume(SOUND_CATEGORY_MUSIC, MUSIC_MENU, myMusicVolume);
    if (!IsMusicPlaying(MUSIC_MENU))
        PlayMusic(MUSIC_MENU);
}
