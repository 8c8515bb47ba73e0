#pragma once
// Writes ASCII FBX 7.4 files from procedural descriptions: a node tree (joints, nulls, meshes, LOD
// groups), meshes with per-corner normals, UVs and colours, per-polygon materials, skins with
// clusters, and one baked take (one key per frame). The same description always gives the same
// bytes. Used by the content build for the game's models and by the tests for their fixtures.
#include <array>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace FbxGen
{
using Vec2 = std::array<double, 2>;
using Vec3 = std::array<double, 3>;
using Vec4 = std::array<double, 4>;

struct Node
{
    Node() = default;
    Node(std::string aName, std::string aParent = "", std::string aKind = "Null", Vec3 aTranslation = {0, 0, 0},
         Vec3 aRotation = {0, 0, 0}, Vec3 aScaling = {1, 1, 1}, std::vector<double> someLodThresholds = {})
        : myName(std::move(aName)), myParent(std::move(aParent)), myKind(std::move(aKind)), myTranslation(aTranslation),
          myRotation(aRotation), myScaling(aScaling), myLodThresholds(std::move(someLodThresholds))
    {
    }
    std::string myName;
    std::string myParent;          // empty: below the scene root
    std::string myKind = "Null";   // "LimbNode", "Null", "Mesh", "LodGroup"
    Vec3 myTranslation{0, 0, 0};
    Vec3 myRotation{0, 0, 0};      // degrees, X then Y then Z
    Vec3 myScaling{1, 1, 1};
    std::vector<double> myLodThresholds;   // LodGroup: distance of level 1, 2, ...
};

struct Polygon
{
    std::vector<int> myCorners;   // control point indices, counter-clockwise seen from outside
    int myMaterial = 0;           // slot in the mesh's material list
};

struct Cluster
{
    std::string myBone;
    std::vector<int> myIndexes;
    std::vector<double> myWeights;
};

struct Mesh
{
    std::string myNode;                       // the "Mesh" node that carries the geometry
    std::vector<Vec3> myPoints;
    std::vector<Polygon> myPolygons;
    // Per polygon corner, in polygon order; empty when the mesh has none.
    std::vector<Vec3> myNormals;
    std::vector<Vec2> myUVs;
    std::vector<Vec4> myColors;
    std::vector<std::string> myMaterials;     // names, slot order
    std::vector<Cluster> myClusters;
};

struct Material
{
    Material() = default;
    Material(std::string aName, Vec3 aDiffuse = {0.8, 0.8, 0.8}) : myName(std::move(aName)), myDiffuse(aDiffuse) {}
    std::string myName;
    Vec3 myDiffuse{0.8, 0.8, 0.8};
};

struct Curve
{
    std::string myNode;
    char myChannel = 'T';           // 'T' translation, 'R' rotation (degrees), 'S' scaling
    int myAxis = 0;                 // 0 x, 1 y, 2 z
    std::vector<double> myValues;   // one per frame from the take's first frame
};

struct Take
{
    std::string myName = "Take 001";
    int myFirstFrame = 0;
    int myLastFrame = 0;
    std::vector<Curve> myCurves;
};

struct Scene
{
    double myUnitScaleFactor = 1.0;   // centimetres per file unit
    int myTimeMode = 6;               // 6: 30 frames per second
    double myCustomFrameRate = -1.0;
    std::vector<Node> myNodes;
    std::vector<Mesh> myMeshes;
    std::vector<Material> myMaterials;
    std::vector<Take> myTakes;        // at most the first is usually read
};

double FramesPerSecond(int aTimeMode, double aCustomFrameRate);
// KTime ticks per second.
inline constexpr long long KTIME_PER_SECOND = 46186158000LL;

std::string WriteAscii(const Scene& aScene);
bool WriteFile(const std::filesystem::path& aPath, const Scene& aScene);

// Helpers for procedural meshes: a box from its centre and half sizes, appended to a mesh with flat
// normals, one UV square per face and the given colour and material slot; returns the first point.
int AddBox(Mesh& aMesh, const Vec3& aCenter, const Vec3& aHalf, int aMaterial = 0, const Vec4& aColor = {1, 1, 1, 1});
}
