#pragma once
#include "core/Types.h"
#include "model/AnimationPlayer.h"
#include "model/ModelData.h"

#include <vector>

// One clip blending in: how long it takes, how far it got, and whether its playback speed
// follows the owner's running speed.
struct AnimationBlendEntry
{
    float myBlendTime = 0.0f;
    float myElapsed = 0.0f;
    float mySpeedScale = 0.0f;
    Qel::u8 mySlot = 0;
    Qel::u8 myFresh = 1;
    Qel::u8 mySpeedScaled = 0;
};

// The clips an animated object blends between, oldest first. A newly queued clip blends in
// over its blend time on top of the older ones; once it is fully in, the older entries are
// dropped. The owner keeps one animation player per slot and decides what a fresh entry does
// (rewind, sounds) and how far each clip advances.
class AnimationBlendQueue
{
public:
    static constexpr float SPEED_SCALE_EPSILON = 1e-7f;
    static constexpr float FULLY_BLENDED_MARGIN = 0.001f;

    // False (nothing queued) when the slot is already in the queue.
    bool Queue(Qel::u8 aSlot, float aBlendTime, float aSpeedScale);
    bool Contains(Qel::u8 aSlot) const;
    void Clear() { myEntries.clear(); }
    bool IsEmpty() const { return myEntries.empty(); }
    const std::vector<AnimationBlendEntry>& GetEntries() const { return myEntries; }

    // One frame. aOnFresh(entry) runs once for an entry's first update; aAdvance(entry, player)
    // moves the entry's clip on. Each clip's pose is then blended into aPose by the entry's
    // weight. aPlayers is indexed by slot.
    template <class OnFresh, class AdvanceClip>
    void Update(float aDeltaTime, Qel::AnimationPlayer* aPlayers, Qel::Pose& aPose, OnFresh&& aOnFresh,
                AdvanceClip&& aAdvance)
    {
        if (myEntries.empty())
            return;
        DropBlendedOut();
        for (AnimationBlendEntry& entry : myEntries)
        {
            Qel::AnimationPlayer& player = aPlayers[entry.mySlot];
            if (entry.myFresh)
            {
                aOnFresh(entry, player);
                entry.myFresh = 0;
            }
            const float weight = Advance(entry, aDeltaTime);
            aAdvance(entry, player);
            BlendPose(aPose, player.myPose, weight);
        }
    }

    // Erases every entry older than the newest one that has fully blended in.
    void DropBlendedOut();
    // elapsed += dt within [0, blend time]; returns the weight elapsed / blend time.
    static float Advance(AnimationBlendEntry& aEntry, float aDeltaTime);
    // aPose := aPose blended toward aBlend by aWeight, joint by joint. Poses of different joint
    // counts (a clip made for another skeleton) leave aPose as it is.
    static void BlendPose(Qel::Pose& aPose, const Qel::Pose& aBlend, float aWeight);

private:
    std::vector<AnimationBlendEntry> myEntries;
};
