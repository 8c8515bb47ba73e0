#include "AnimatedEffectPool.h"

#include "AudioManager.h"
#include "GameGlobals.h"

#include "model/ModelFactory.h"

#include <string>

AnimatedEffectPool& AnimatedEffectPool::Get()
{
    static AnimatedEffectPool pool;
    return pool;
}

AnimatedEffectPool::AnimatedEffectPool()
{
    myPlayers.reserve(MAX_EFFECTS);
    myModels.reserve(MAX_EFFECTS);
    myLifetimes.reserve(MAX_EFFECTS);
    myAges.reserve(MAX_EFFECTS);
}

void AnimatedEffectPool::RemoveAt(size_t aIndex)
{
    const auto at = static_cast<std::ptrdiff_t>(aIndex);
    myPlayers.erase(myPlayers.begin() + at);
    myModels.erase(myModels.begin() + at);
    myLifetimes.erase(myLifetimes.begin() + at);
    myAges.erase(myAges.begin() + at);
}

void AnimatedEffectPool::Spawn(std::string_view aClipPath, const AnimatedModel& aModel, float aDuration, bool aLooping)
{
    if (myAges.empty() || myAges.back() > SOUND_GAP)
        GetAudioManager().PlayRandomSfx(BREAK_SOUND_FIRST, BREAK_SOUND_LAST);
    if (myModels.size() >= MAX_EFFECTS)
        RemoveAt(0);
    myModels.push_back(aModel);
    Qel::AnimationPlayer player;
    if (!aClipPath.empty() && myModels.back().HasModel())
        player = Qel::GetModelFactory().GetAnimationPlayer(std::string(aClipPath), myModels.back().myInstance.myModel);
    float lifetime = aDuration;
    if (aLooping)
    {
        player.myIsLooping = true;
    }
    else if (player.myAnimation && player.myAnimation->myFrameCount > 0 && player.myAnimation->myFrameRate > 0.0f)
    {
        lifetime = static_cast<float>(player.myAnimation->myFrameCount) / player.myAnimation->myFrameRate;
    }
    player.myState = Qel::ANIMATION_STATE_PLAYING;
    myPlayers.push_back(std::move(player));
    myLifetimes.push_back(lifetime);
    myAges.push_back(0.0f);
}

void AnimatedEffectPool::Update(float aDeltaTime)
{
    for (size_t i = 0; i < myPlayers.size(); ++i)
    {
        myPlayers[i].Update(aDeltaTime);
        myModels[i].myInstance.ApplyAnimationPlayer(myPlayers[i]);
    }
    size_t kept = 0;
    for (size_t i = 0; i < myAges.size(); ++i)
    {
        myAges[i] += aDeltaTime;
        if (myLifetimes[i] > 0.0f && myAges[i] > myLifetimes[i])
            continue;
        if (kept != i)
        {
            myPlayers[kept] = std::move(myPlayers[i]);
            myModels[kept] = std::move(myModels[i]);
            myLifetimes[kept] = myLifetimes[i];
            myAges[kept] = myAges[i];
        }
        ++kept;
    }
    myPlayers.resize(kept);
    myModels.resize(kept);
    myLifetimes.resize(kept);
    myAges.resize(kept);
}

void AnimatedEffectPool::Render()
{
    for (AnimatedModel& model : myModels)
        AnimatedModel::Render(model);
}

void AnimatedEffectPool::Clear()
{
    myPlayers.clear();
    myModels.clear();
    myLifetimes.clear();
    myAges.clear();
}
