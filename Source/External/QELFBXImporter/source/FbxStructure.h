#pragma once
// A small reader of FBX files' structure (ASCII and binary), run before Assimp sees a file. The
// Assimp build we link aborts the process on some malformed input, so every file is parsed and
// checked here first: a file that is not FBX, is truncated, has unbalanced blocks, arrays that do
// not match their counts, or geometry, skin, material and curve data that index past their arrays is
// refused with a message. It also gives what Assimp does not keep: each model's class (joint, null,
// mesh, LOD group), a node's material slot order, LOD thresholds, the raw time mode and the spans
// of the animation stacks. Plain C++ with no engine dependency, so it can be fuzzed on its own.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace QelFbx
{
struct Property
{
    enum class Kind : uint8_t
    {
        Integer,
        Number,
        String,
        Array,
    };
    Kind myKind = Kind::Integer;
    int64_t myInteger = 0;
    double myNumber = 0.0;
    std::string myString;
    // Arrays: the element count, and the values when they could be read (not compressed).
    uint64_t myCount = 0;
    bool myHasValues = false;
    std::vector<double> myValues;

    double AsNumber() const { return myKind == Kind::Integer ? static_cast<double>(myInteger) : myNumber; }
    int64_t AsInteger() const { return myKind == Kind::Number ? static_cast<int64_t>(myNumber) : myInteger; }
};

struct Element
{
    std::string myName;
    std::vector<Property> myProperties;
    std::vector<std::unique_ptr<Element>> myChildren;

    const Element* Find(std::string_view aName) const;
    // The array of the first property (binary) or of the "a" child (ASCII); null when there is none.
    const Property* GetArray() const;
};

struct ModelInfo
{
    int64_t myId = 0;
    std::string myName;    // without the "Model::" prefix
    std::string myClass;   // "LimbNode", "Null", "Mesh", "LodGroup", ...
};

struct StackInfo
{
    std::string myName;
    int64_t myLocalStart = 0;   // KTime ticks
    int64_t myLocalStop = 0;
};

struct FileInfo
{
    bool myIsBinary = false;
    uint32_t myVersion = 0;
    std::vector<ModelInfo> myModels;
    std::map<std::string, std::string> myClassByName;
    std::vector<std::string> myMaterials;                                  // in object order
    std::map<std::string, std::vector<std::string>> myMaterialsByModel;   // connection (slot) order
    std::map<std::string, std::vector<float>> myLodThresholds;            // by LOD group model name
    int myTimeMode = 0;
    double myCustomFrameRate = -1.0;
    double myUnitScaleFactor = 1.0;
    std::vector<StackInfo> myStacks;
};

inline constexpr int64_t KTIME_PER_SECOND = 46186158000LL;

// True when the bytes start like an FBX file (binary magic, or an ASCII header in the first KB).
bool LooksLikeFbx(std::string_view aBytes);
// Parses and checks the whole file. False with a message in aError (no file name; the caller adds
// it) when the file is not FBX or is malformed.
bool ReadStructure(std::string_view aBytes, FileInfo& aInfo, std::string& aError);
bool ReadStructureFile(const std::string& aPath, FileInfo& aInfo, std::string& aError);

// The frame rate of an FBX time mode (custom rate for mode 14; 30 for the default mode 0).
double FrameRateOfTimeMode(int aTimeMode, double aCustomFrameRate);
bool IsJointClass(std::string_view aClass);
}
