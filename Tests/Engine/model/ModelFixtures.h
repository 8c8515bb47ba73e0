#pragma once
// FBX scenes for the model tests, written by our generator.
#include "FbxWriter.h"

#include <string>

namespace QelTest
{
// rig:Hip (0, 50, 0) > rig:Spine (+25 y) > Hand_socket (+5 x), Tip_evt under Spine; mesh "Body" of two
// boxes, the lower one (material slot 0, "M_Body") on Hip and the upper one (slot 1, "M_Head") on
// Spine. The head box's polygons come first in the file.
inline FbxGen::Scene MakeCharacterScene(double aUnitScale = 1.0)
{
    FbxGen::Scene scene;
    scene.myUnitScaleFactor = aUnitScale;
    scene.myNodes.push_back({"rig:Hip", "", "LimbNode", {0, 50, 0}});
    scene.myNodes.push_back({"rig:Spine", "rig:Hip", "LimbNode", {0, 25, 0}});
    scene.myNodes.push_back({"Hand_socket", "rig:Spine", "Null", {5, 0, 0}});
    scene.myNodes.push_back({"Tip_evt", "rig:Spine", "Null", {0, 0, 0}});
    scene.myNodes.push_back({"Body", "", "Mesh"});
    scene.myMaterials = {{"M_Body"}, {"M_Head"}};
    FbxGen::Mesh mesh;
    mesh.myNode = "Body";
    FbxGen::AddBox(mesh, {0, 100, 0}, {10, 10, 10}, 1);   // points 0-7, head
    FbxGen::AddBox(mesh, {0, 40, 0}, {10, 40, 10}, 0);    // points 8-15, body
    mesh.myMaterials = {"M_Body", "M_Head"};
    mesh.myClusters.push_back({"rig:Hip", {8, 9, 10, 11, 12, 13, 14, 15}, {1, 1, 1, 1, 1, 1, 1, 1}});
    mesh.myClusters.push_back({"rig:Spine", {0, 1, 2, 3, 4, 5, 6, 7}, {1, 1, 1, 1, 1, 1, 1, 1}});
    scene.myMeshes.push_back(mesh);
    return scene;
}

// A baked 30 fps take of frames 0..30 on the character's joints: Hip moves x = frame, Spine turns
// about z by 3 degrees a frame. aWithMesh false gives a skeleton-only clip file.
inline FbxGen::Scene MakeClipScene(bool aWithMesh = false, double aUnitScale = 1.0)
{
    FbxGen::Scene scene = MakeCharacterScene(aUnitScale);
    if (!aWithMesh)
    {
        scene.myMeshes.clear();
        scene.myMaterials.clear();
        scene.myNodes.erase(scene.myNodes.begin() + 4);
    }
    FbxGen::Take take;
    take.myLastFrame = 30;
    FbxGen::Curve hip{"rig:Hip", 'T', 0, {}};
    FbxGen::Curve spine{"rig:Spine", 'R', 2, {}};
    for (int frame = 0; frame <= 30; ++frame)
    {
        hip.myValues.push_back(frame);
        spine.myValues.push_back(3.0 * frame);
    }
    take.myCurves = {hip, spine};
    scene.myTakes.push_back(take);
    return scene;
}

// One quad "Quad" in the x-y plane with four distinct UVs, no skeleton.
inline FbxGen::Scene MakeQuadScene(double aUnitScale = 1.0)
{
    FbxGen::Scene scene;
    scene.myUnitScaleFactor = aUnitScale;
    scene.myNodes.push_back({"Quad", "", "Mesh"});
    FbxGen::Mesh mesh;
    mesh.myNode = "Quad";
    mesh.myPoints = {{0, 0, 0}, {1, 0, 0}, {1, 2, 0}, {0, 2, 0}};
    mesh.myPolygons = {{{0, 1, 2, 3}, 0}};
    mesh.myNormals.assign(4, {0, 0, 1});
    mesh.myUVs = {{0.0, 0.25}, {1.0, 0.25}, {1.0, 0.75}, {0.0, 0.75}};
    scene.myMeshes.push_back(mesh);
    return scene;
}
}
