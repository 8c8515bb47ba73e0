#include "GameplayFixture.h"

#include "platform/Platform.h"
#include "platform/Win32.h"

#include <algorithm>
#include <unordered_set>

namespace GameplayTest
{
namespace
{
// Names of the definitions that were there before a fixture; it removes the others it leaves.
std::unordered_set<Qel::StringId> DefinitionNames()
{
    std::unordered_set<Qel::StringId> names;
    for (const auto& [name, definition] : Qel::GetObjectDefinitionManager().GetDefinitions())
        names.insert(name);
    return names;
}

std::unordered_set<Qel::StringId>& NamesBefore()
{
    static std::unordered_set<Qel::StringId> names;
    return names;
}
}

ScriptedPad::ScriptedPad()
{
    Qel::Platform::SetXInputBackend(this);
}

ScriptedPad::~ScriptedPad()
{
    Qel::Platform::SetXInputBackend(nullptr);
}

Qel::u32 ScriptedPad::GetState(Qel::u32 aUserIndex, Qel::XINPUT_STATE& aState)
{
    if (!myConnected || aUserIndex != 0)
        return Qel::ERROR_DEVICE_NOT_CONNECTED;
    aState = myState;
    return Qel::ERROR_SUCCESS;
}

Qel::u32 ScriptedPad::SetState(Qel::u32 aUserIndex, const Qel::XINPUT_VIBRATION& aVibration)
{
    if (!myConnected || aUserIndex != 0)
        return Qel::ERROR_DEVICE_NOT_CONNECTED;
    myRumble.push_back(aVibration);
    return Qel::ERROR_SUCCESS;
}

Props& Props::Object(const char* aName, const char* aPath)
{
    return Add(aName, Qel::ObjectReferenceValue(Qel::ObjectReference{Qel::StringId(std::string(aPath))}));
}

Props& Props::Model(const char* aPath)
{
    Qel::SceneModel model;
    model.myPath = Qel::StringId(std::string(aPath));
    return Add("Model", Qel::ModelValue(model));
}

Props& Props::Clip(const char* aName, const char* aPath)
{
    return Add(aName, Qel::AnimationClipValue(Qel::AnimationClipReference{Qel::StringId(std::string(aPath))}));
}

Qel::Matrix4x4 At(float aX, float aY, float aZ, float aScaleX, float aScaleY)
{
    Qel::Matrix4x4 m = Qel::Matrix4x4::CreateScale({aScaleX, aScaleY, 1.0f});
    m.SetTranslation({aX, aY, aZ});
    return m;
}

GameplayFixture::GameplayFixture(float aDeltaTime)
{
    myContext = {&myWorld, &myActions, &myInput, aDeltaTime, &myHud};
    BindDefaultInputs(myActions);
    myPadController.Connect();
    GetAudioManager().SetBackend(&mySound);
    mySound.ClearEvents();
    NamesBefore() = DefinitionNames();
    // Definitions nothing added are written here, not into the game's assets.
    Qel::GetObjectDefinitionManager().LoadAll(myAssetRoot.Path().string());
    while (TakeQuit())
    {
    }
}

GameplayFixture::~GameplayFixture()
{
    GetAudioManager().SetBackend(nullptr);
    const std::unordered_set<Qel::StringId>& before = NamesBefore();
    for (const Qel::StringId& name : DefinitionNames())
        if (!before.contains(name))
            Qel::GetObjectDefinitionManager().Remove(name);
}

void GameplayFixture::HoldKeys(std::initializer_list<Qel::u32> aKeys)
{
    myHeldKeys.assign(aKeys.begin(), aKeys.end());
}

void GameplayFixture::BeginFrame()
{
    for (const Qel::u32 key : myDownKeys)
        if (std::find(myHeldKeys.begin(), myHeldKeys.end(), key) == myHeldKeys.end())
            myInput.UpdateEvents(Qel::WM_KEYUP, key, 0);
    for (const Qel::u32 key : myHeldKeys)
        if (std::find(myDownKeys.begin(), myDownKeys.end(), key) == myDownKeys.end())
            myInput.UpdateEvents(Qel::WM_KEYDOWN, key, 0);
    myDownKeys = myHeldKeys;
    myInput.Update();
    myPadController.Update();
    myActions.Update(myInput, myPadController, myContext.dt);
}

void GameplayFixture::StepTiles(int aFrames)
{
    for (int i = 0; i < aFrames; ++i)
    {
        BeginFrame();
        myWorld.myTileMap.UpdateTiles(myContext);
    }
}

Qel::ObjectDefinition& GameplayFixture::AddDefinition(const std::string& aName, const Props& aProperties)
{
    Qel::ObjectDefinition definition;
    definition.myName = Qel::StringId(aName);
    definition.myPath = aName + ".qlo";
    definition.myProperties = aProperties.Records();
    return *Qel::GetObjectDefinitionManager().Add(definition);
}

std::vector<Qel::u8> GameplayFixture::PlayedEffects() const
{
    std::vector<Qel::u8> played;
    const Qel::u32 first = AudioManager::GetSlot(SOUND_CATEGORY_EFFECTS, 0);
    for (const RecordingSoundBackend::Event& event : mySound.GetEvents())
        if (event.myOp == RecordingSoundBackend::Op::Play && event.mySlot >= first && event.mySlot < first + EFFECT_COUNT)
            played.push_back(static_cast<Qel::u8>(event.mySlot - first));
    return played;
}

Qel::u32 GameplayFixture::CountEffect(Qel::u8 aId) const
{
    return mySound.CountPlays(AudioManager::GetSlot(SOUND_CATEGORY_EFFECTS, aId));
}

std::vector<InputMapper::RumbleSlot> GameplayFixture::PendingRumble() const
{
    std::vector<InputMapper::RumbleSlot> pending;
    for (Qel::u32 i = 0; i < 8; ++i)
        if (myActions.GetRumbleSlot(i).mySecondsLeft > 0.0f)
            pending.push_back(myActions.GetRumbleSlot(i));
    return pending;
}

bool GameplayFixture::TakeQuit()
{
    Qel::MSG message;
    bool quit = false;
    while (Qel::Platform::PeekMessage(message))
        quit |= message.message == Qel::WM_QUIT;
    return quit;
}
}
