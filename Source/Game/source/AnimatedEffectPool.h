#pragma once
// One-shot animated effects (a breaking block's pieces): each plays its clip once, or loops for
// a given time, and is removed when its time is up. One pool for the process; the state stack
// advances it every frame, the play screen draws it. Effects outlive level loads.
#include "AnimatedModel.h"

#include "model/AnimationPlayer.h"

#include <string_view>
#include <vector>

class AnimatedEffectPool
{
public:
    // A ring of effects: when it is full the oldest effect makes way for the new one, so a
    // chain of breaks can neither grow the pool nor allocate once it has filled.
    static constexpr size_t MAX_EFFECTS = 64;
    static constexpr float SOUND_GAP = 0.1f;
    static constexpr Qel::u8 BREAK_SOUND_FIRST = 40;
    static constexpr Qel::u8 BREAK_SOUND_LAST = 43;

    static AnimatedEffectPool& Get();

    AnimatedEffectPool();

    // Plays aClipPath on a copy of aModel. Looping effects last aDuration; one-shot effects last
    // their clip's length, or aDuration when the clip has no length (missing or empty), so no
    // effect is left standing for ever. A break sound plays unless the newest effect is 0.1 s
    // old or younger.
    void Spawn(std::string_view aClipPath, const AnimatedModel& aModel, float aDuration, bool aLooping);
    void Update(float aDeltaTime);
    void Render();
    // Drops every effect (before the model factory and the GPU context go away at shutdown).
    void Clear();
    size_t GetCapacity() const { return myModels.capacity(); }

    size_t GetCount() const { return myModels.size(); }
    const std::vector<float>& GetLifetimes() const { return myLifetimes; }
    const std::vector<float>& GetAges() const { return myAges; }
    const std::vector<Qel::AnimationPlayer>& GetPlayers() const { return myPlayers; }
    const std::vector<AnimatedModel>& GetModels() const { return myModels; }

private:
    std::vector<Qel::AnimationPlayer> myPlayers;
    std::vector<AnimatedModel> myModels;
    std::vector<float> myLifetimes;
    std::vector<float> myAges;

    void RemoveAt(size_t aIndex);
};
