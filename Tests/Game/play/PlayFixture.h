#pragma once
// A play screen with no window, GPU or sound card: levels written as real scene files under a
// temporary game asset root (definitions loaded once per test program, since the definition
// registry is process-wide), the real action map fed by key messages, sounds recorded.
#include "FlowFixture.h"
#include "GamePlayingState.h"
#include "InputMapper.h"
#include "PlayFrameRecorder.h"
#include "StateStack.h"
#include "Util/RenderSize.h"

#include "TestSupport.h"
#include "scene/ObjectDefinition.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace PlayTest
{
constexpr float DT = 1.0f / 60.0f;

// One property record of a definition file.
inline std::string Prop(const char* aName, const char* aType, const char* aValue, bool aPerInstance = false)
{
    return std::string("{\"name\": \"") + aName + "\", \"type\": \"" + aType + "\", \"value\": " + aValue +
           ", \"is-dynamic\": false, \"is-per-instance\": " + (aPerInstance ? "true" : "false") + "}";
}

inline std::string Tag(int aTag) { return Prop("Object Tag", "Object Tag", std::to_string(aTag).c_str()); }
inline std::string Model(const char* aPath = "Cube")
{
    return Prop("Model", "Model", (std::string("{\"path\": \"") + aPath + "\"}").c_str());
}

// Object definitions every play test may use: name, then its property records.
inline const std::vector<std::pair<std::string, std::vector<std::string>>>& Definitions()
{
    static const std::vector<std::pair<std::string, std::vector<std::string>>> definitions = {
        {"QLO_Scenery", {Tag(0), Model()}},
        {"QLO_TwoModels", {Prop("A", "Model", "{\"path\": \"Cube\"}"), Prop("B", "Model", "{\"path\": \"Plane\"}"),
                           Prop("Speed", "Float", "3.0")}},
        {"QLO_Player", {Tag(1)}},
        {"QLO_Goal", {Tag(2), Model(), Prop("next_level", "StringId", "\"\"", true)}},
        {"QLO_Block", {Tag(9), Model()}},
        {"QLO_Checkpoint", {Tag(15), Model()}},
        {"QLO_FireBar", {Prop("Kind", "Object Tag", "17"), Model()}},
        {"QLO_Tag30", {Tag(30), Model()}},
        {"QLO_IntTag", {Prop("Object Tag", "Int", "2"), Model()}},
        {"QLO_MissingModel", {Model("models/none/SM_Nothing.fbx")}},
        {"QLO_Dust", {Prop("Dust", "Particle System", "{\"particleSystemPath\": \"particles/none/P_Missing.qlap\"}")}},
        {"QLO_EmptyDust", {Prop("Sparks", "Particle System", "{\"particleSystemPath\": \"\"}")}},
    };
    return definitions;
}

// The shared asset root: made, filled with the definitions and loaded on first use.
inline QelTest::TempFolder& AssetRoot()
{
    static QelTest::TempFolder root;
    static bool loaded = false;
    if (!loaded)
    {
        loaded = true;
        for (const auto& [name, records] : Definitions())
        {
            std::string list;
            for (const std::string& record : records)
                list += (list.empty() ? "" : ", ") + record;
            root.Write("objects/" + name + ".qlo",
                       "{\"parent-object-definition\": \"\", \"properties\": [" + list + "]}");
        }
        Qel::GetObjectDefinitionManager().LoadAll(root.Path().string());
    }
    return root;
}

// One object of a level file.
struct Object
{
    Object(std::string aDefinition, float aX, float aY, float aZ, bool aHidden = false, std::string aName = "object")
        : myDefinition(std::move(aDefinition)), myX(aX), myY(aY), myZ(aZ), myHidden(aHidden), myName(std::move(aName))
    {
    }
    std::string myDefinition;
    float myX, myY, myZ;
    bool myHidden;
    std::string myName;
};

// A floor of solid blocks along the ground line, one a cell from x -500 to aLastX.
inline std::vector<Object> BlockFloor(float aLastX)
{
    std::vector<Object> objects;
    for (float x = -500.0f; x <= aLastX; x += 100.0f)
        objects.push_back({"QLO_Block", x, 0.0f, 0.0f});
    return objects;
}

// Writes scenes/<aPath> and its object folder; ids in order 1, 2, ...
inline void WriteLevel(const std::string& aPath, const std::vector<Object>& aObjects)
{
    QelTest::TempFolder& root = AssetRoot();
    root.Write(aPath, "");
    std::string folder = aPath.substr(0, aPath.size() - 4) + ".leveldata/";
    // An empty level still has its folder.
    root.Write(folder + "readme.txt", "not an object");
    int id = 1;
    for (const Object& object : aObjects)
    {
        char guid[64];
        std::snprintf(guid, sizeof(guid), "00000000-0000-0000-0000-%012d", id++);
        char json[512];
        std::snprintf(json, sizeof(json),
                      "{\"name\": \"%s\", \"object-definition\": \"%s\", \"translation\": [%g, %g, %g], "
                      "\"rotation\": [0, 0, 0], \"scale\": [1, 1, 1], \"isHidden\": %s}",
                      object.myName.c_str(), object.myDefinition.c_str(), object.myX, object.myY, object.myZ,
                      object.myHidden ? "true" : "false");
        root.Write(folder + guid, json);
    }
}

struct StepLog final : PlayFrameRecorder
{
    void OnStep(PlayStep aStep) override { mySteps.push_back(aStep); }
    void OnRender(RenderStep aStep, Qel::i32 aItem) override { myDraws.emplace_back(aStep, aItem); }
    std::vector<PlayStep> mySteps;
    std::vector<std::pair<RenderStep, Qel::i32>> myDraws;
};

class PlayFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mySavedRoot = Qel::Settings::GetGameAssetsPath();
        Qel::Settings::GetGameAssetsPath() = AssetRoot().Path();
        SetFallbackRenderSize(2560.0f, 1440.0f);
        StateStack::BindInputs(myActions);
        myPlay.Init();
        myAudio->ClearEvents();
    }
    void TearDown() override { Qel::Settings::GetGameAssetsPath() = mySavedRoot; }

    // Requests the level and runs load steps until it is ready; returns the steps taken.
    int Load(const std::string& aPath, float aTimer = 300.0f)
    {
        myPlay.SetTimer(aTimer);
        myPlay.RequestLevel(Qel::StringId(aPath));
        int steps = 0;
        while (myPlay.IsLoadPending() && steps < 1000)
        {
            if (!myPlay.LoadStep())
                return -1;
            ++steps;
        }
        return steps;
    }

    Hud& TheHud() { return myPlay.GetHud(); }

    StateCommand Frame(float aDt = DT)
    {
        myInput.Update();
        myGamepad.Update();
        myActions.Update(myInput, myGamepad, aDt);
        UpdateContext context;
        context.myActions = &myActions;
        context.myDeltaTime = aDt;
        context.myInput = &myInput;
        return myPlay.Update(context);
    }

    std::filesystem::path mySavedRoot;
    FlowTest::RecordedAudio myAudio;
    FlowTest::FakePad myPad;
    Qel::InputManager myInput{nullptr};
    Qel::XInputController myGamepad;
    FlowTest::Keys myKeys{myInput};
    InputMapper myActions{0.4f, 0.9f};
    GamePlayingState myPlay;
};
}
