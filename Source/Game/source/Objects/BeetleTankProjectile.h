#pragma once
// The beetle tank's cannon shell: rests in the barrel, flies along the aim when fired
// (speeding up to its maximum), bursts on a tile or a moving platform, and is back in the
// barrel a moment later. Its settings come from the definition "QLO_BeetleTank_Projectile".
#include "Box.h"
#include "ModelVisual.h"
#include "math/Quaternion.h"
#include "math/Vector.h"

#include <string_view>

class ContentReport;
struct GameContext;

class BeetleTankProjectile
{
public:
    enum State : Qel::i32
    {
        STATE_IN_BARREL = 0,
        STATE_FLYING = 1,
        STATE_BURST = 2,
    };
    static constexpr float SIZE = 25.0f;
    static constexpr float FIRE_SPEED = 250.0f;
    static constexpr float LIFE = 2.5f;
    static constexpr float BURST_TIME = 0.1f;
    // A shell slower than its firing speed would hang at the barrel; one faster than this could
    // pass a whole cell in one frame (at the longest frame) and go through a wall.
    static constexpr float MIN_MAX_SPEED = FIRE_SPEED;
    static constexpr float MAX_MAX_SPEED = 3000.0f;
    static constexpr const char* DEFINITION = "QLO_BeetleTank_Projectile";

    // Reads the definition (a missing one is reported and leaves the shell unable to fire).
    void Init(const Qel::Vector3f& aBarrel, ContentReport* aReport = nullptr, std::string_view aSource = {});
    void Fire(const Qel::Vector3f& aDirection);
    void Reset(const Qel::Vector3f& aBarrel);
    void Update(GameContext& aContext, const Qel::Vector3f& aBarrel);
    void Render();

    bool CanFire() const { return myLoaded; }
    Qel::i32 GetState() const { return myState; }
    void SetHidden(bool aHidden) { myHidden = aHidden; }
    bool IsHidden() const { return myHidden; }
    // Only a flying shell has a box; in the barrel and once burst it touches nothing.
    Box GetBox() const { return myBox; }
    Qel::Vector3f GetPosition() const { return myPosition; }
    Qel::Vector3f GetDirection() const { return myDirection; }
    float GetSpeed() const { return mySpeed; }
    float GetAcceleration() const { return myAcceleration; }
    float GetMaxSpeed() const { return myMaxSpeed; }
    void SetRotation(const Qel::Quaternion& aRotation) { myRotation = aRotation; }
    const Qel::Quaternion& GetRotation() const { return myRotation; }
    const ModelVisual& GetModel() const { return myModel; }

private:
    void Burst();
    void PlaceModel();

    ModelVisual myModel;
    Box myBox{0.0f, 0.0f, 0.0f, 0.0f};
    Qel::Vector3f myPosition{0.0f, 0.0f, 0.0f};
    Qel::Vector3f myDirection{1.0f, 0.0f, 0.0f};
    Qel::Quaternion myRotation;
    float myAcceleration = 0.0f;
    float mySpeed = 0.0f;
    float myMaxSpeed = MIN_MAX_SPEED;
    float myLifeTimer = LIFE;
    float myCooldownTimer = BURST_TIME;
    Qel::i32 myState = STATE_IN_BARREL;
    bool myHidden = false;
    bool myLoaded = false;
    bool myHeldAtPlayer = false;
};
