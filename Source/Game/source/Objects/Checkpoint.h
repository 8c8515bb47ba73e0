#pragma once
// The level's checkpoint: walking through its tall trigger saves the respawn point. Drawn off
// until then, on after.
#include "Box.h"
#include "ModelVisual.h"

#include <cstddef>

namespace Qel
{
struct PropertyRecord;
}

class Checkpoint
{
public:
    static constexpr float TRIGGER_WIDTH = 100.0f;
    static constexpr float TRIGGER_HEIGHT = 3000.0f;
    static constexpr float TRIGGER_RISE = 100.0f;
    static constexpr float MODEL_Z = 200.0f;
    static constexpr const char* OFF_MODEL = "SM_Checkpoint_Off";

    void Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount);
    // Both models stay on the saved point, in front of the tiles.
    void Update();
    void SetActive(bool aActive);
    bool IsActive() const { return myActive != 0; }
    const Box& GetHitbox() const { return myTrigger; }
    Qel::Vector3f GetSavedPosition() const { return mySavedPosition; }
    bool IsPlaced() const { return myPlaced != 0; }
    // A level without a checkpoint must not keep the last level's (its trigger would still fire).
    void Clear();
    void Render();

    ModelVisual myOnModel;
    ModelVisual myOffModel;
    Box myTrigger;
    Qel::Vector3f mySavedPosition{0.0f, 0.0f, 0.0f};
    Qel::u8 myActive = 0;
    Qel::u8 myPlaced = 0;
};
