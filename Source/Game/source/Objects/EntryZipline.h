#pragma once
// The rope that carries the player into the level at its start, along its own path; the play
// screen lets go of the player when it has finished.
#include "Objects/ZiplineRide.h"

struct GameContext;

class EntryZipline
{
public:
    void SetDefaultPath();
    void Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount);
    void Start() { myRide.myState = ZIPLINE_START; }
    void SetState(Qel::u8 aState) { myRide.myState = aState; }
    Qel::u8 GetState() const { return myRide.myState; }
    void Update(GameContext& aContext);
    void Render();

    const Qel::Matrix4x4& GetRiderTransform() const { return myRiderTransform; }
    const ZiplineRide& GetRide() const { return myRide; }
    Qel::Vector3f GetPosition() const { return myModel.GetPosition(); }

    AnimatedModel myModel;
    Qel::AnimationPlayer myClip;
    ZiplineRide myRide;
    Qel::Matrix4x4 myRiderTransform;
};
