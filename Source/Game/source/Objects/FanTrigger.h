#pragma once
// The area that sets off the level's fan event when the player walks into it.
#include "Box.h"
#include "ModelVisual.h"

#include <cstddef>

namespace Qel
{
struct PropertyRecord;
}

class FanTrigger
{
public:
    void Init(const Qel::Matrix4x4& aTransform, const Qel::PropertyRecord* aProperties, std::size_t aCount);
    // Post-init: the area at "Position" with the hit-box size.
    void SetupArea();
    bool IsTriggered() const { return myTriggered != 0; }
    void SetTriggered(bool aTriggered) { myTriggered = aTriggered ? 1 : 0; }
    const Box& GetArea() const { return myArea; }
    void Update() {}
    void Render() {}

    ModelVisual myModel;
    Box myArea;
    Qel::Vector3f myPosition{0.0f, 0.0f, 0.0f};
    float myWidth = 0.0f;
    float myHeight = 0.0f;
    Qel::u8 myTriggered = 0;
};
