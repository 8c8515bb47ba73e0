#pragma once
// Runs gameplay headless at a fixed frame time: no window, no GPU, no sound card.
//  - the world, its HUD and the GameContext every object's update receives;
//  - the real InputMapper with the game's bindings, fed through a real InputManager from a
//    scripted set of keys held per frame (presses and releases come from the changes), and a
//    scripted pad that records rumble;
//  - the game's AudioManager on a recording backend (which effects played, in order);
//  - object definitions made in memory from property records, found by name like loaded ones;
//  - the quit request the game posts, taken as a flag.
// Objects keep their transforms without models (ModelVisual), and drawing without a context
// does nothing, so a level's objects can be created and updated as they are.
#include "AudioManager.h"
#include "GameGlobals.h"
#include "GameWorld.h"
#include "Hud.h"
#include "InputMapper.h"
#include "SoundBackend.h"
#include "TestSupport.h"
#include "input/InputManager.h"
#include "input/XInputController.h"
#include "platform/XInput.h"
#include "scene/ObjectDefinition.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace GameplayTest
{
// A pad on user index 0 whose state a test sets; rumble sent to it is recorded.
class ScriptedPad final : public Qel::Platform::XInputBackend
{
public:
    ScriptedPad();
    ~ScriptedPad() override;
    Qel::u32 GetState(Qel::u32 aUserIndex, Qel::XINPUT_STATE& aState) override;
    Qel::u32 SetState(Qel::u32 aUserIndex, const Qel::XINPUT_VIBRATION& aVibration) override;

    bool myConnected = true;
    Qel::XINPUT_STATE myState{};
    std::vector<Qel::XINPUT_VIBRATION> myRumble;
};

// Property lists built in code: Props().Tag(Qel::ObjectTag::BlockLucky).Int("TileWidth", 3)...
class Props
{
public:
    Props& Tag(Qel::ObjectTag aTag) { return Add("Tag", aTag); }
    Props& Int(const char* aName, Qel::i32 aValue) { return Add(aName, aValue); }
    Props& Float(const char* aName, float aValue) { return Add(aName, aValue); }
    Props& Float2(const char* aName, Qel::Vector2f aValue) { return Add(aName, aValue); }
    Props& Bool(const char* aName, bool aValue) { return Add(aName, aValue); }
    Props& Drop(Qel::DropType aValue) { return Add("DropType", aValue); }
    Props& Material(Qel::TileMaterial aValue) { return Add("TileMaterial", aValue); }
    Props& Object(const char* aName, const char* aPath);
    Props& Model(const char* aPath);
    Props& Clip(const char* aName, const char* aPath);

    template <class T>
    Props& Add(const char* aName, const T& aValue)
    {
        Qel::PropertyRecord record;
        record.myName = Qel::StringId(std::string(aName));
        record.myType = Qel::GetPropertyType<T>();
        record.myValue = Qel::PropertyValue::Make(aValue);
        myRecords.push_back(std::move(record));
        return *this;
    }

    const std::vector<Qel::PropertyRecord>& Records() const { return myRecords; }
    const Qel::PropertyRecord* Data() const { return myRecords.data(); }
    std::size_t Count() const { return myRecords.size(); }

private:
    std::vector<Qel::PropertyRecord> myRecords;
};

// A translation with an optional scale.
Qel::Matrix4x4 At(float aX, float aY, float aZ = 0.0f, float aScaleX = 1.0f, float aScaleY = 1.0f);

class GameplayFixture
{
public:
    explicit GameplayFixture(float aDeltaTime = 1.0f / 60.0f);
    ~GameplayFixture();
    GameplayFixture(const GameplayFixture&) = delete;
    GameplayFixture& operator=(const GameplayFixture&) = delete;

    // The virtual-key codes held during the next frames (until changed).
    void HoldKeys(std::initializer_list<Qel::u32> aKeys);
    void HoldKeys(const std::vector<Qel::u32>& aKeys) { myHeldKeys = aKeys; }
    // Starts a frame: the held keys reach the input manager, which rolls its state, and the
    // action map reads it.
    void BeginFrame();
    // One frame of the tile map: BeginFrame, then UpdateTiles.
    void StepTiles(int aFrames = 1);

    // A definition found by name (and by GetOrCreate of its path) for the fixture's lifetime.
    // Definitions that nothing added are created empty under a temporary asset root.
    Qel::ObjectDefinition& AddDefinition(const std::string& aName, const Props& aProperties);

    // Effect ids played since the last ClearSounds, in order.
    std::vector<Qel::u8> PlayedEffects() const;
    Qel::u32 CountEffect(Qel::u8 aId) const;
    void ClearSounds() { mySound.ClearEvents(); }

    // Rumble requests the action map holds (the eight slots that have seconds left).
    std::vector<InputMapper::RumbleSlot> PendingRumble() const;

    // True once when the game asked to quit since the last call.
    static bool TakeQuit();

    GameWorld myWorld;
    Hud myHud;
    InputMapper myActions;
    Qel::InputManager myInput{nullptr};
    Qel::XInputController myPadController;
    ScriptedPad myPad;
    RecordingSoundBackend mySound;
    GameContext myContext;
    QelTest::TempFolder myAssetRoot;

private:
    std::vector<Qel::u32> myHeldKeys;
    std::vector<Qel::u32> myDownKeys;
};
}
