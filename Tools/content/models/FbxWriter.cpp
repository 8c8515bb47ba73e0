#include "FbxWriter.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>

namespace FbxGen
{
namespace
{
// Column-vector 4 x 4 matrices, m[row][column], as FBX computes node transforms.
using Mat = std::array<std::array<double, 4>, 4>;

Mat Identity()
{
    Mat m{};
    for (int i = 0; i < 4; ++i)
        m[i][i] = 1.0;
    return m;
}

Mat Multiply(const Mat& a, const Mat& b)
{
    Mat r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            for (int k = 0; k < 4; ++k)
                r[i][j] += a[i][k] * b[k][j];
    return r;
}

Mat Local(const Node& aNode)
{
    const double pi = 3.14159265358979323846;
    const double ax = aNode.myRotation[0] * pi / 180.0, ay = aNode.myRotation[1] * pi / 180.0,
                 az = aNode.myRotation[2] * pi / 180.0;
    Mat rx = Identity(), ry = Identity(), rz = Identity(), t = Identity(), s = Identity();
    rx[1][1] = std::cos(ax), rx[1][2] = -std::sin(ax), rx[2][1] = std::sin(ax), rx[2][2] = std::cos(ax);
    ry[0][0] = std::cos(ay), ry[0][2] = std::sin(ay), ry[2][0] = -std::sin(ay), ry[2][2] = std::cos(ay);
    rz[0][0] = std::cos(az), rz[0][1] = -std::sin(az), rz[1][0] = std::sin(az), rz[1][1] = std::cos(az);
    for (int i = 0; i < 3; ++i)
    {
        t[i][3] = aNode.myTranslation[i];
        s[i][i] = aNode.myScaling[i];
    }
    // Rotation order XYZ: x applies first.
    return Multiply(t, Multiply(Multiply(rz, Multiply(ry, rx)), s));
}

// Inverse of an affine matrix (general 4 x 4 by cofactors is overkill: rotation-scale-translation).
Mat InverseAffine(const Mat& m)
{
    const double a = m[0][0], b = m[0][1], c = m[0][2], d = m[1][0], e = m[1][1], f = m[1][2], g = m[2][0],
                 h = m[2][1], i = m[2][2];
    const double det = a * (e * i - f * h) - b * (d * i - f * g) + c * (d * h - e * g);
    Mat r = Identity();
    const double inv = det != 0.0 ? 1.0 / det : 0.0;
    r[0][0] = (e * i - f * h) * inv, r[0][1] = (c * h - b * i) * inv, r[0][2] = (b * f - c * e) * inv;
    r[1][0] = (f * g - d * i) * inv, r[1][1] = (a * i - c * g) * inv, r[1][2] = (c * d - a * f) * inv;
    r[2][0] = (d * h - e * g) * inv, r[2][1] = (b * g - a * h) * inv, r[2][2] = (a * e - b * d) * inv;
    for (int row = 0; row < 3; ++row)
        r[row][3] = -(r[row][0] * m[0][3] + r[row][1] * m[1][3] + r[row][2] * m[2][3]);
    return r;
}

class Out
{
public:
    void Line(int aIndent, const std::string& aText)
    {
        myText.append(static_cast<size_t>(aIndent), '\t');
        myText += aText;
        myText += '\n';
    }
    std::string myText;
};

std::string Num(double aValue)
{
    if (aValue == 0.0)
        return "0";   // never "-0"
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.9g", aValue);
    return buffer;
}

std::string Int(long long aValue) { return std::to_string(aValue); }

template <typename T, typename F>
void Array(Out& aOut, int aIndent, const std::string& aName, const std::vector<T>& aValues, F aFormat)
{
    aOut.Line(aIndent, aName + ": *" + std::to_string(aValues.size()) + " {");
    std::string line = "a: ";
    for (size_t i = 0; i < aValues.size(); ++i)
    {
        if (i > 0)
            line += ',';
        line += aFormat(aValues[i]);
    }
    aOut.Line(aIndent + 1, line);
    aOut.Line(aIndent, "}");
}

void Doubles(Out& aOut, int aIndent, const std::string& aName, const std::vector<double>& aValues)
{
    Array(aOut, aIndent, aName, aValues, Num);
}

std::vector<double> MatrixValues(const Mat& m)
{
    // FBX stores the column-vector matrix column by column: the translation lands at 12-14.
    std::vector<double> values;
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            values.push_back(m[r][c]);
    return values;
}

std::string Quote(const std::string& aText) { return "\"" + aText + "\""; }

void P70Vector(Out& aOut, const std::string& aName, const Vec3& aValue)
{
    aOut.Line(3, "P: " + Quote(aName) + ", " + Quote(aName) + ", \"\", \"A\"," + Num(aValue[0]) + "," +
                     Num(aValue[1]) + "," + Num(aValue[2]));
}
}

double FramesPerSecond(int aTimeMode, double aCustomFrameRate)
{
    switch (aTimeMode)
    {
    case 1: return 120.0;
    case 2: return 100.0;
    case 3: return 60.0;
    case 4: return 50.0;
    case 5: return 48.0;
    case 6:
    case 7: return 30.0;
    case 8:
    case 9: return 29.97002617;
    case 10: return 25.0;
    case 11: return 24.0;
    case 12: return 1000.0;
    case 13: return 23.976;
    case 14: return aCustomFrameRate > 0.0 ? aCustomFrameRate : 30.0;
    case 15: return 96.0;
    case 16: return 72.0;
    case 17: return 59.94;
    case 18: return 119.88;
    default: return 30.0;
    }
}

int AddBox(Mesh& aMesh, const Vec3& c, const Vec3& h, int aMaterial, const Vec4& aColor)
{
    const int first = static_cast<int>(aMesh.myPoints.size());
    for (int i = 0; i < 8; ++i)
        aMesh.myPoints.push_back({c[0] + ((i & 1) ? h[0] : -h[0]), c[1] + ((i & 2) ? h[1] : -h[1]),
                                  c[2] + ((i & 4) ? h[2] : -h[2])});
    // Faces counter-clockwise seen from outside, with their outward normals.
    struct Face
    {
        int myCorners[4];
        Vec3 myNormal;
    };
    const Face faces[6] = {{{1, 3, 7, 5}, {1, 0, 0}},  {{0, 4, 6, 2}, {-1, 0, 0}}, {{2, 6, 7, 3}, {0, 1, 0}},
                           {{0, 1, 5, 4}, {0, -1, 0}}, {{4, 5, 7, 6}, {0, 0, 1}},  {{0, 2, 3, 1}, {0, 0, -1}}};
    const Vec2 uvs[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (const Face& face : faces)
    {
        Polygon polygon;
        polygon.myMaterial = aMaterial;
        for (int k = 0; k < 4; ++k)
        {
            polygon.myCorners.push_back(first + face.myCorners[k]);
            aMesh.myNormals.push_back(face.myNormal);
            aMesh.myUVs.push_back(uvs[k]);
            aMesh.myColors.push_back(aColor);
        }
        aMesh.myPolygons.push_back(polygon);
    }
    return first;
}

std::string WriteAscii(const Scene& aScene)
{
    Out out;
    out.Line(0, "; FBX 7.4.0 project file");
    out.Line(0, "; Written by the Owlbright Heights model generator");
    out.Line(0, "FBXHeaderExtension:  {");
    out.Line(1, "FBXHeaderVersion: 1003");
    out.Line(1, "FBXVersion: 7400");
    out.Line(1, "Creator: \"QelFbx\"");
    out.Line(0, "}");
    out.Line(0, "GlobalSettings:  {");
    out.Line(1, "Version: 1000");
    out.Line(1, "Properties70:  {");
    const char* axes[] = {"UpAxis\", \"int\", \"Integer\", \"\",1", "UpAxisSign\", \"int\", \"Integer\", \"\",1",
                          "FrontAxis\", \"int\", \"Integer\", \"\",2", "FrontAxisSign\", \"int\", \"Integer\", \"\",1",
                          "CoordAxis\", \"int\", \"Integer\", \"\",0", "CoordAxisSign\", \"int\", \"Integer\", \"\",1"};
    for (const char* axis : axes)
        out.Line(2, std::string("P: \"") + axis);
    out.Line(2, "P: \"UnitScaleFactor\", \"double\", \"Number\", \"\"," + Num(aScene.myUnitScaleFactor));
    out.Line(2, "P: \"TimeMode\", \"enum\", \"\", \"\"," + Int(aScene.myTimeMode));
    out.Line(2, "P: \"CustomFrameRate\", \"double\", \"Number\", \"\"," + Num(aScene.myCustomFrameRate));
    out.Line(1, "}");
    out.Line(0, "}");

    std::map<std::string, long long> nodeIds;
    std::map<std::string, const Node*> nodesByName;
    for (size_t i = 0; i < aScene.myNodes.size(); ++i)
    {
        nodeIds[aScene.myNodes[i].myName] = 100000 + static_cast<long long>(i);
        nodesByName[aScene.myNodes[i].myName] = &aScene.myNodes[i];
    }
    auto global = [&](const std::string& aName) {
        Mat m = Identity();
        for (const Node* node = nodesByName.count(aName) ? nodesByName[aName] : nullptr; node;
             node = nodesByName.count(node->myParent) ? nodesByName[node->myParent] : nullptr)
            m = Multiply(Local(*node), m);
        return m;
    };
    std::vector<std::string> connections;
    auto connect = [&](long long aChild, long long aParent) {
        connections.push_back("C: \"OO\"," + Int(aChild) + "," + Int(aParent));
    };

    out.Line(0, "Objects:  {");
    for (size_t i = 0; i < aScene.myNodes.size(); ++i)
    {
        const Node& node = aScene.myNodes[i];
        const long long id = nodeIds[node.myName];
        const long long attribute = 200000 + static_cast<long long>(i);
        if (node.myKind != "Mesh")
        {
            const std::string type = node.myKind == "LodGroup" ? "LODGroup" : node.myKind;
            out.Line(1, "NodeAttribute: " + Int(attribute) + ", \"NodeAttribute::" + node.myName + "\", " +
                            Quote(type) + " {");
            if (node.myKind == "LimbNode")
                out.Line(2, "TypeFlags: \"Skeleton\"");
            else if (node.myKind == "LodGroup")
            {
                out.Line(2, "Properties70:  {");
                for (size_t level = 0; level < node.myLodThresholds.size(); ++level)
                    out.Line(3, "P: \"Thresholds|Level" + std::to_string(level) + "\", \"Distance\", \"\", \"A\"," +
                                    Num(node.myLodThresholds[level]));
                out.Line(2, "}");
            }
            else
                out.Line(2, "TypeFlags: \"Null\"");
            out.Line(1, "}");
            connect(attribute, id);
        }
        out.Line(1, "Model: " + Int(id) + ", \"Model::" + node.myName + "\", " + Quote(node.myKind) + " {");
        out.Line(2, "Version: 232");
        out.Line(2, "Properties70:  {");
        P70Vector(out, "Lcl Translation", node.myTranslation);
        P70Vector(out, "Lcl Rotation", node.myRotation);
        P70Vector(out, "Lcl Scaling", node.myScaling);
        out.Line(2, "}");
        out.Line(2, "Shading: T");
        out.Line(2, "Culling: \"CullingOff\"");
        out.Line(1, "}");
        connect(id, node.myParent.empty() || !nodeIds.count(node.myParent) ? 0 : nodeIds[node.myParent]);
    }

    std::map<std::string, long long> materialIds;
    for (size_t k = 0; k < aScene.myMaterials.size(); ++k)
    {
        const Material& material = aScene.myMaterials[k];
        const long long id = 400000 + static_cast<long long>(k);
        materialIds[material.myName] = id;
        out.Line(1, "Material: " + Int(id) + ", \"Material::" + material.myName + "\", \"\" {");
        out.Line(2, "Version: 102");
        out.Line(2, "ShadingModel: \"lambert\"");
        out.Line(2, "MultiLayer: 0");
        out.Line(2, "Properties70:  {");
        out.Line(3, "P: \"DiffuseColor\", \"Color\", \"\", \"A\"," + Num(material.myDiffuse[0]) + "," +
                        Num(material.myDiffuse[1]) + "," + Num(material.myDiffuse[2]));
        out.Line(2, "}");
        out.Line(1, "}");
    }

    for (size_t m = 0; m < aScene.myMeshes.size(); ++m)
    {
        const Mesh& mesh = aScene.myMeshes[m];
        const long long geometry = 300000 + static_cast<long long>(m);
        const long long model = nodeIds.count(mesh.myNode) ? nodeIds[mesh.myNode] : 0;
        out.Line(1, "Geometry: " + Int(geometry) + ", \"Geometry::" + mesh.myNode + "\", \"Mesh\" {");
        std::vector<double> points;
        for (const Vec3& p : mesh.myPoints)
            points.insert(points.end(), p.begin(), p.end());
        Doubles(out, 2, "Vertices", points);
        std::vector<long long> indices;
        for (const Polygon& polygon : mesh.myPolygons)
            for (size_t k = 0; k < polygon.myCorners.size(); ++k)
                indices.push_back(k + 1 == polygon.myCorners.size() ? -(polygon.myCorners[k] + 1) : polygon.myCorners[k]);
        Array(out, 2, "PolygonVertexIndex", indices, Int);
        out.Line(2, "GeometryVersion: 124");
        std::vector<std::string> layers;
        if (!mesh.myNormals.empty())
        {
            out.Line(2, "LayerElementNormal: 0 {");
            out.Line(3, "Version: 101");
            out.Line(3, "Name: \"\"");
            out.Line(3, "MappingInformationType: \"ByPolygonVertex\"");
            out.Line(3, "ReferenceInformationType: \"Direct\"");
            std::vector<double> values;
            for (const Vec3& n : mesh.myNormals)
                values.insert(values.end(), n.begin(), n.end());
            Doubles(out, 3, "Normals", values);
            out.Line(2, "}");
            layers.push_back("LayerElementNormal");
        }
        if (!mesh.myColors.empty())
        {
            out.Line(2, "LayerElementColor: 0 {");
            out.Line(3, "Version: 101");
            out.Line(3, "Name: \"colors\"");
            out.Line(3, "MappingInformationType: \"ByPolygonVertex\"");
            out.Line(3, "ReferenceInformationType: \"Direct\"");
            std::vector<double> values;
            for (const Vec4& c : mesh.myColors)
                values.insert(values.end(), c.begin(), c.end());
            Doubles(out, 3, "Colors", values);
            out.Line(2, "}");
            layers.push_back("LayerElementColor");
        }
        if (!mesh.myUVs.empty())
        {
            // Shared UV values, indexed per corner.
            std::vector<Vec2> unique;
            std::vector<long long> uvIndex;
            std::map<Vec2, long long> seen;
            for (const Vec2& uv : mesh.myUVs)
            {
                auto [it, added] = seen.try_emplace(uv, static_cast<long long>(unique.size()));
                if (added)
                    unique.push_back(uv);
                uvIndex.push_back(it->second);
            }
            out.Line(2, "LayerElementUV: 0 {");
            out.Line(3, "Version: 101");
            out.Line(3, "Name: \"map1\"");
            out.Line(3, "MappingInformationType: \"ByPolygonVertex\"");
            out.Line(3, "ReferenceInformationType: \"IndexToDirect\"");
            std::vector<double> values;
            for (const Vec2& uv : unique)
                values.insert(values.end(), uv.begin(), uv.end());
            Doubles(out, 3, "UV", values);
            Array(out, 3, "UVIndex", uvIndex, Int);
            out.Line(2, "}");
            layers.push_back("LayerElementUV");
        }
        if (!mesh.myMaterials.empty())
        {
            out.Line(2, "LayerElementMaterial: 0 {");
            out.Line(3, "Version: 101");
            out.Line(3, "Name: \"\"");
            const bool allSame = mesh.myMaterials.size() == 1;
            out.Line(3, std::string("MappingInformationType: ") + (allSame ? "\"AllSame\"" : "\"ByPolygon\""));
            out.Line(3, "ReferenceInformationType: \"IndexToDirect\"");
            std::vector<long long> slots;
            if (allSame)
                slots.push_back(0);
            else
                for (const Polygon& polygon : mesh.myPolygons)
                    slots.push_back(polygon.myMaterial);
            Array(out, 3, "Materials", slots, Int);
            out.Line(2, "}");
            layers.push_back("LayerElementMaterial");
        }
        out.Line(2, "Layer: 0 {");
        out.Line(3, "Version: 100");
        for (const std::string& layer : layers)
        {
            out.Line(3, "LayerElement:  {");
            out.Line(4, "Type: " + Quote(layer));
            out.Line(4, "TypedIndex: 0");
            out.Line(3, "}");
        }
        out.Line(2, "}");
        out.Line(1, "}");
        connect(geometry, model);
        for (const std::string& name : mesh.myMaterials)
            if (materialIds.count(name))
                connect(materialIds[name], model);

        if (!mesh.myClusters.empty())
        {
            const long long skin = 500000 + static_cast<long long>(m);
            out.Line(1, "Deformer: " + Int(skin) + ", \"Deformer::\", \"Skin\" {");
            out.Line(2, "Version: 101");
            out.Line(2, "Link_DeformAcuracy: 50");
            out.Line(1, "}");
            connect(skin, geometry);
            const Mat meshGlobal = global(mesh.myNode);
            for (size_t c = 0; c < mesh.myClusters.size(); ++c)
            {
                const Cluster& cluster = mesh.myClusters[c];
                const long long id = 510000 + static_cast<long long>(m) * 1000 + static_cast<long long>(c);
                const Mat link = global(cluster.myBone);
                out.Line(1, "Deformer: " + Int(id) + ", \"SubDeformer::" + cluster.myBone + "\", \"Cluster\" {");
                out.Line(2, "Version: 100");
                out.Line(2, "UserData: \"\", \"\"");
                std::vector<long long> indexes(cluster.myIndexes.begin(), cluster.myIndexes.end());
                Array(out, 2, "Indexes", indexes, Int);
                Doubles(out, 2, "Weights", cluster.myWeights);
                Doubles(out, 2, "Transform", MatrixValues(Multiply(InverseAffine(link), meshGlobal)));
                Doubles(out, 2, "TransformLink", MatrixValues(link));
                out.Line(1, "}");
                connect(id, skin);
                if (nodeIds.count(cluster.myBone))
                    connect(nodeIds[cluster.myBone], id);
            }
        }
    }

    for (size_t t = 0; t < aScene.myTakes.size(); ++t)
    {
        const Take& take = aScene.myTakes[t];
        const double fps = FramesPerSecond(aScene.myTimeMode, aScene.myCustomFrameRate);
        auto ktime = [&](int aFrame) { return std::llround(aFrame * static_cast<double>(KTIME_PER_SECOND) / fps); };
        const long long stack = 600000 + static_cast<long long>(t) * 10000;
        const long long layer = stack + 1;
        out.Line(1, "AnimationStack: " + Int(stack) + ", \"AnimStack::" + take.myName + "\", \"\" {");
        out.Line(2, "Properties70:  {");
        out.Line(3, "P: \"LocalStart\", \"KTime\", \"Time\", \"\"," + Int(ktime(take.myFirstFrame)));
        out.Line(3, "P: \"LocalStop\", \"KTime\", \"Time\", \"\"," + Int(ktime(take.myLastFrame)));
        out.Line(3, "P: \"ReferenceStart\", \"KTime\", \"Time\", \"\"," + Int(ktime(take.myFirstFrame)));
        out.Line(3, "P: \"ReferenceStop\", \"KTime\", \"Time\", \"\"," + Int(ktime(take.myLastFrame)));
        out.Line(2, "}");
        out.Line(1, "}");
        out.Line(1, "AnimationLayer: " + Int(layer) + ", \"AnimLayer::BaseLayer\", \"\" {");
        out.Line(1, "}");
        connect(layer, stack);
        // One curve node per (node, channel), with up to three curves.
        std::map<std::pair<std::string, char>, std::vector<const Curve*>> groups;
        std::vector<std::pair<std::string, char>> order;
        for (const Curve& curve : take.myCurves)
        {
            auto key = std::make_pair(curve.myNode, curve.myChannel);
            if (!groups.count(key))
                order.push_back(key);
            groups[key].push_back(&curve);
        }
        long long next = stack + 2;
        for (const auto& key : order)
        {
            const long long curveNode = next++;
            const char* channel = key.second == 'T' ? "T" : key.second == 'R' ? "R" : "S";
            const char* property = key.second == 'T' ? "Lcl Translation" : key.second == 'R' ? "Lcl Rotation" : "Lcl Scaling";
            const Node* node = nodesByName.count(key.first) ? nodesByName[key.first] : nullptr;
            Vec3 rest = key.second == 'S' ? Vec3{1, 1, 1} : Vec3{0, 0, 0};
            if (node)
                rest = key.second == 'T' ? node->myTranslation : key.second == 'R' ? node->myRotation : node->myScaling;
            out.Line(1, "AnimationCurveNode: " + Int(curveNode) + ", \"AnimCurveNode::" + channel + "\", \"\" {");
            out.Line(2, "Properties70:  {");
            const char* axisNames[3] = {"d|X", "d|Y", "d|Z"};
            for (int axis = 0; axis < 3; ++axis)
                out.Line(3, std::string("P: \"") + axisNames[axis] + "\", \"Number\", \"\", \"A\"," + Num(rest[axis]));
            out.Line(2, "}");
            out.Line(1, "}");
            connect(curveNode, layer);
            if (node)
                connections.push_back("C: \"OP\"," + Int(curveNode) + "," + Int(nodeIds[key.first]) + "," + Quote(property));
            for (const Curve* curve : groups[key])
            {
                const long long id = next++;
                std::vector<long long> times;
                for (size_t k = 0; k < curve->myValues.size(); ++k)
                    times.push_back(ktime(take.myFirstFrame + static_cast<int>(k)));
                out.Line(1, "AnimationCurve: " + Int(id) + ", \"AnimCurve::\", \"\" {");
                out.Line(2, "Default: " + Num(curve->myValues.empty() ? 0.0 : curve->myValues[0]));
                out.Line(2, "KeyVer: 4008");
                Array(out, 2, "KeyTime", times, Int);
                Doubles(out, 2, "KeyValueFloat", curve->myValues);
                // Linear interpolation on every key.
                out.Line(2, "KeyAttrFlags: *1 {");
                out.Line(3, "a: 260");
                out.Line(2, "}");
                out.Line(2, "KeyAttrDataFloat: *4 {");
                out.Line(3, "a: 0,0,255790911,0");
                out.Line(2, "}");
                out.Line(2, "KeyAttrRefCount: *1 {");
                out.Line(3, "a: " + std::to_string(curve->myValues.size()));
                out.Line(2, "}");
                out.Line(1, "}");
                connections.push_back("C: \"OP\"," + Int(id) + "," + Int(curveNode) + "," +
                                      Quote(axisNames[curve->myAxis < 0 || curve->myAxis > 2 ? 0 : curve->myAxis]));
            }
        }
    }
    out.Line(0, "}");

    out.Line(0, "Connections:  {");
    for (const std::string& line : connections)
        out.Line(1, line);
    out.Line(0, "}");
    return out.myText;
}

bool WriteFile(const std::filesystem::path& aPath, const Scene& aScene)
{
    std::error_code error;
    if (aPath.has_parent_path())
        std::filesystem::create_directories(aPath.parent_path(), error);
    std::ofstream file(aPath, std::ios::binary);
    const std::string text = WriteAscii(aScene);
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    return static_cast<bool>(file);
}
}
