#include "scene/editor/PropertyEditors.h"

#include "scene/PropertyTypes.h"
#include "scene/SceneAssets.h"
#include "stringRegistry/StringRegistry.h"

#include <imgui.h>
#include <imgui_stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Qel
{
AssetBrowserFunction AssetBrowserCallback = nullptr;

namespace
{
template <class T>
T& As(void* aStorage)
{
    return *std::launder(static_cast<T*>(aStorage));
}

// Text is always drawn unformatted: a '%' in a path or label is just a character.
void Text(const char* aText)
{
    ImGui::TextUnformatted(aText);
}

const char* PathOrNone(StringId aPath)
{
    return aPath.IsEmpty() ? "None" : aPath.GetString();
}

StringId InternOrKeep(const std::string& aText, StringId aOld)
{
    return GetStringRegistry().TryRegisterString(aText).value_or(aOld);
}

// Label cell with the help marker, then the value cell.
void CommonFrame(const char* aLabel, const char* aDescription)
{
    ImGuiPropertyRowLabel(false);
    Text(aLabel);
    if (aDescription && aDescription[0] != '\0')
    {
        ImGuiHelpMarker(aDescription, true);
    }
    ImGuiPropertyRowValue(false);
}

// The payload's text, bounded by its size (a missing terminator is not read past).
bool AcceptPath(const char* aPayloadType, StringId& aOut)
{
    bool accepted = false;
    if (ImGui::BeginDragDropTarget())
    {
        if (const ImGuiPayload* payload = ImGui::AcceptDragDropPayload(aPayloadType))
        {
            std::string text(static_cast<const char*>(payload->Data), static_cast<std::size_t>(std::max(payload->DataSize, 0)));
            if (!text.empty() && text.back() == '\0')
            {
                text.pop_back();
            }
            if (const auto id = GetStringRegistry().TryRegisterString(text))
            {
                aOut = *id;
                accepted = true;
            }
        }
        ImGui::EndDragDropTarget();
    }
    return accepted;
}

// One path field: its text as a drop target, then a sub-row with the browse and clear
// buttons. aSet receives a new path; returns whether it changed.
template <class Set>
bool PathField(StringId aCurrent, const char* aPayloadType, const char* aBrowseLabel, const char* aClearLabel, Set aSet)
{
    bool changed = false;
    Text(PathOrNone(aCurrent));
    StringId dropped;
    if (AcceptPath(aPayloadType, dropped) && dropped != aCurrent)
    {
        aSet(dropped);
        aCurrent = dropped;
        changed = true;
    }
    ImGuiPropertyRowLabel(true);
    ImGuiPropertyRowValue(true);
    if (AssetBrowserCallback)
    {
        if (ImGui::Button(aBrowseLabel))
        {
            StringId chosen;
            AssetBrowserCallback(chosen);
            if (chosen != aCurrent)
            {
                aSet(chosen);
                aCurrent = chosen;
                changed = true;
            }
        }
        ImGui::SameLine(0.0f, -1.0f);
    }
    if (ImGui::Button(aClearLabel) && !aCurrent.IsEmpty())
    {
        aSet(StringId());
        changed = true;
    }
    return changed;
}

// ---- Scalars -------------------------------------------------------------------------------

template <class Widget>
bool Scalar(const char* aLabel, const char* aDescription, Widget aWidget)
{
    if (!aLabel)
    {
        return aWidget();
    }
    CommonFrame(aLabel, aDescription);
    ImGui::PushID(aLabel);
    const bool changed = aWidget();
    ImGui::PopID();
    return changed;
}

bool EditBool(void* aStorage, const char* aLabel, const char* aDescription)
{
    return Scalar(aLabel, aDescription, [&] {
        bool& value = As<bool>(aStorage);
        bool edited = value;
        if (ImGui::Checkbox("##", &edited) && edited != value)
        {
            value = edited;
            return true;
        }
        return false;
    });
}

bool EditInt(void* aStorage, const char* aLabel, const char* aDescription)
{
    return Scalar(aLabel, aDescription, [&] {
        i32& value = As<i32>(aStorage);
        int edited = value;
        if (ImGui::DragInt("##", &edited, 1.0f, 0, 0, "%d") && edited != value)
        {
            value = edited;
            return true;
        }
        return false;
    });
}

bool EditFloat(void* aStorage, const char* aLabel, const char* aDescription)
{
    return Scalar(aLabel, aDescription, [&] {
        float& value = As<float>(aStorage);
        float edited = value;
        if (ImGui::DragFloat("##", &edited, 1.0f, 0.0f, 0.0f, "%.3f") && edited != value)
        {
            value = edited;
            return true;
        }
        return false;
    });
}

template <class V, int N, class Widget>
bool EditFloats(void* aStorage, const char* aLabel, const char* aDescription, Widget aWidget)
{
    return Scalar(aLabel, aDescription, [&] {
        V& value = As<V>(aStorage);
        V edited = value;
        if (aWidget(reinterpret_cast<float*>(&edited)) && !(edited == value))
        {
            value = edited;
            return true;
        }
        return false;
    });
}

bool EditFloat2(void* aStorage, const char* aLabel, const char* aDescription)
{
    return EditFloats<Vector2<float>, 2>(aStorage, aLabel, aDescription,
                                         [](float* v) { return ImGui::DragFloat2("##", v, 1.0f, 0.0f, 0.0f, "%.3f"); });
}
bool EditFloat3(void* aStorage, const char* aLabel, const char* aDescription)
{
    return EditFloats<Vector3<float>, 3>(aStorage, aLabel, aDescription,
                                         [](float* v) { return ImGui::DragFloat3("##", v, 1.0f, 0.0f, 0.0f, "%.3f"); });
}
bool EditFloat4(void* aStorage, const char* aLabel, const char* aDescription)
{
    return EditFloats<Vector4<float>, 4>(aStorage, aLabel, aDescription,
                                         [](float* v) { return ImGui::DragFloat4("##", v, 1.0f, 0.0f, 0.0f, "%.3f"); });
}
bool EditColor(void* aStorage, const char* aLabel, const char* aDescription)
{
    return EditFloats<Color, 4>(aStorage, aLabel, aDescription,
                                [](float* v) { return ImGui::ColorEdit4("##", v, ImGuiColorEditFlags_Float); });
}

bool EditStringId(void* aStorage, const char* aLabel, const char* aDescription)
{
    return Scalar(aLabel, aDescription, [&] {
        // One shared buffer, filled from the value before each widget; it grows with the
        // text, so a long id is never cut short by an edit.
        static std::string buffer;
        StringId& value = As<StringId>(aStorage);
        buffer.assign(value.GetView());
        if (ImGui::InputText("##", &buffer))
        {
            const StringId edited = InternOrKeep(buffer, value);
            if (edited != value)
            {
                value = edited;
                return true;
            }
        }
        return false;
    });
}

// ---- Enums ---------------------------------------------------------------------------------

template <class Store>
bool EnumCombo(const char* aLabel, const char* aDescription, const char* aId, int aValue, const char* const* aNames,
               int aCount, Store aStore)
{
    const int shown = ShownComboIndex(aValue, aCount);
    if (!aLabel)
    {
        Text(aNames[shown]);
        return false;
    }
    CommonFrame(aLabel, aDescription);
    int chosen = shown;
    if (ImGui::Combo(aId, &chosen, aNames, aCount) && chosen != aValue)
    {
        aStore(chosen);
        return true;
    }
    return false;
}

const char* const TILE_MATERIALS[] = {"Concrete", "Metal", "Hollow"};
const char* const DROP_TYPES[] = {"Battery", "Powerup", "Life"};

bool EditTileMaterial(void* aStorage, const char* aLabel, const char* aDescription)
{
    auto& value = As<u8>(aStorage);
    return EnumCombo(aLabel, aDescription, "##TileMaterial", value, TILE_MATERIALS, 3,
                     [&](int aChosen) { value = static_cast<u8>(aChosen); });
}

bool EditDropType(void* aStorage, const char* aLabel, const char* aDescription)
{
    auto& value = As<u8>(aStorage);
    return EnumCombo(aLabel, aDescription, "##DropType", value, DROP_TYPES, 3,
                     [&](int aChosen) { value = static_cast<u8>(aChosen); });
}

bool EditObjectTag(void* aStorage, const char* aLabel, const char* aDescription)
{
    static const char* names[OBJECT_TAG_COUNT];
    if (!names[0])
    {
        for (i32 i = 0; i < OBJECT_TAG_COUNT; ++i)
        {
            names[i] = GetObjectTagName(i);
        }
    }
    auto& value = As<ObjectTag>(aStorage);
    return EnumCombo(aLabel, aDescription, "##ObjectTag", static_cast<int>(value), names, OBJECT_TAG_COUNT,
                     [&](int aChosen) { value = static_cast<ObjectTag>(aChosen); });
}

bool EditPose(void*, const char* aLabel, const char* aDescription)
{
    if (!aLabel)
    {
        Text("Pose");
        return false;
    }
    CommonFrame(aLabel, aDescription);
    return false;
}

// ---- Path references -----------------------------------------------------------------------

// The "Path" sub-row of every reference editor; the element is made mutable once, on the
// first write, so values sharing it keep the old path.
template <class T>
bool PathPart(CopyOnWriteWrapper<T>& aHandle, T*& aMutable, const char* aPayloadType)
{
    ImGuiPropertyRowLabel(true);
    ImGui::Indent();
    Text("Path");
    ImGui::Unindent();
    ImGuiPropertyRowValue(true);
    return PathField(aHandle->myPath, aPayloadType, "Set From AssetBrowser", "Clear", [&](StringId aPath) {
        if (!aMutable)
        {
            aMutable = aHandle.GetMutable();
        }
        aMutable->myPath = aPath;
    });
}

template <class T>
bool EditPathReference(void* aStorage, const char* aLabel, const char* aDescription, const char* aPayloadType)
{
    auto& handle = As<CopyOnWriteWrapper<T>>(aStorage);
    if (!aLabel)
    {
        Text(PathOrNone(handle->myPath));
        return false;
    }
    CommonFrame(aLabel, aDescription);
    T* mutableElement = nullptr;
    return PathPart(handle, mutableElement, aPayloadType);
}

bool EditScene(void* s, const char* l, const char* d)
{
    return EditPathReference<SceneReference>(s, l, d, ".qls");
}
bool EditClip(void* s, const char* l, const char* d)
{
    return EditPathReference<AnimationClipReference>(s, l, d, ".qlac");
}
bool EditParticles(void* s, const char* l, const char* d)
{
    return EditPathReference<ParticleSystemReference>(s, l, d, ".qlap");
}
bool EditObject(void* s, const char* l, const char* d)
{
    return EditPathReference<ObjectReference>(s, l, d, ".qlo");
}

// ---- Model ---------------------------------------------------------------------------------

const char* const BLEND_STATES[] = {"Disabled", "AlphaBlend", "AdditiveBlend"};
const char* const DEPTH_STENCIL_STATES[] = {"WriteLess", "WriteLessOrEqual", "ReadOnlyLess", "ReadOnlyLessOrEqual"};
const char* const MODEL_TEXTURE_LABELS[] = {"[0] Color", "[1] Normal", "[2] Material", "[3] Effects"};
const char* const SPRITE_TEXTURE_LABELS[] = {"[0] Color Texture", "[1] Normal Texture", "[2] Material Texture",
                                             "[3] Effects Texture"};

// A stored index outside the list is shown as invalid rather than read past the names.
template <class Store>
bool StateCombo(const char* aRowLabel, const char* aId, int aValue, const char* const* aNames, int aCount, Store aStore)
{
    ImGuiPropertyRowLabel(true);
    ImGui::Indent();
    Text(aRowLabel);
    ImGui::Unindent();
    ImGuiPropertyRowValue(true);
    const bool valid = aValue >= 0 && aValue < aCount;
    const std::string invalid = "Invalid (" + std::to_string(aValue) + ")";
    bool changed = false;
    if (ImGui::BeginCombo(aId, valid ? aNames[aValue] : invalid.c_str()))
    {
        for (int i = 0; i < aCount; ++i)
        {
            if (ImGui::Selectable(aNames[i], i == aValue) && i != aValue)
            {
                aStore(i);
                changed = true;
            }
        }
        ImGui::EndCombo();
    }
    return changed;
}

bool MeshEditors(ModelValue& aHandle, SceneModel*& aMutable, int aMesh)
{
    auto edit = [&]() -> SceneModel& {
        if (!aMutable)
        {
            aMutable = aHandle.GetMutable();
        }
        return *aMutable;
    };
    bool changed = false;
    for (int slot = 0; slot < static_cast<int>(SCENE_TEXTURE_SLOT_COUNT); ++slot)
    {
        ImGui::PushID(slot);
        ImGuiPropertyRowLabel(true);
        Text(MODEL_TEXTURE_LABELS[slot]);
        ImGuiPropertyRowValue(true);
        changed |= PathField(aHandle->myTextures[aMesh][slot], ".dds", "Set From AssetBrowser (.dds)", "Clear",
                             [&](StringId aPath) { edit().myTextures[aMesh][slot] = aPath; });
        ImGui::PopID();
    }
    ImGui::PushID(aMesh);
    ImGuiPropertyRowLabel(true);
    Text("Vertex Shader");
    ImGuiPropertyRowValue(true);
    changed |= PathField(aHandle->myVertexShader[aMesh], ".hlsl", "Set From AssetBrowser (.hlsl)##Vertex",
                         "Clear##Vertex", [&](StringId aPath) { edit().myVertexShader[aMesh] = aPath; });
    ImGuiPropertyRowLabel(true);
    Text("Fragment Shader");
    ImGuiPropertyRowValue(true);
    changed |= PathField(aHandle->myFragmentShader[aMesh], ".hlsl", "Set From AssetBrowser (.hlsl)##Fragment",
                         "Clear##Fragment", [&](StringId aPath) { edit().myFragmentShader[aMesh] = aPath; });
    ImGui::PopID();

    ImGui::PushID(aMesh);
    changed |= StateCombo("Blend State", "##Blend State", aHandle->myBlendState[aMesh], BLEND_STATES, 3,
                          [&](int aState) { edit().myBlendState[aMesh] = aState; });
    changed |= StateCombo("Depth Stencil State", "##Depth Stencil State", aHandle->myDepthStencilState[aMesh],
                          DEPTH_STENCIL_STATES, 4, [&](int aState) { edit().myDepthStencilState[aMesh] = aState; });
    ImGui::PopID();
    return changed;
}

bool EditModel(void* aStorage, const char* aLabel, const char* aDescription)
{
    auto& handle = As<ModelValue>(aStorage);
    if (!aLabel)
    {
        Text(PathOrNone(handle->myPath));
        return false;
    }
    CommonFrame(aLabel, aDescription);
    SceneModel* mutableElement = nullptr;
    bool changed = PathPart(handle, mutableElement, ".fbx");

    const auto meshNames = GetSceneAssetResolvers().myGetModelMeshNames;
    std::vector<std::string> names;
    if (handle->myPath.IsEmpty() || !meshNames || !meshNames(handle->myPath, names))
    {
        return changed;
    }
    ImGuiPropertyRowLabel(true);
    if (ImGui::TreeNode("Render configuration"))
    {
        const int count = std::min(static_cast<int>(names.size()), static_cast<int>(SCENE_MODEL_MESH_COUNT));
        if (count == 1)
        {
            ImGui::PushID(0);
            changed |= MeshEditors(handle, mutableElement, 0);
            ImGui::PopID();
        }
        else
        {
            for (int mesh = 0; mesh < count; ++mesh)
            {
                ImGui::PushID(mesh);
                ImGuiPropertyRowLabel(true);
                if (ImGui::TreeNode(names[mesh].c_str()))
                {
                    changed |= MeshEditors(handle, mutableElement, mesh);
                    ImGui::TreePop();
                }
                ImGui::PopID();
            }
        }
        ImGui::TreePop();
    }
    return changed;
}

// ---- Sprite --------------------------------------------------------------------------------

bool EditSprite(void* aStorage, const char* aLabel, const char* aDescription)
{
    auto& handle = As<SpriteValue>(aStorage);
    if (!aLabel)
    {
        Text(PathOrNone(handle->myTextures[0]));
        return false;
    }
    CommonFrame(aLabel, aDescription);
    SceneSprite* mutableElement = nullptr;
    auto edit = [&]() -> SceneSprite& {
        if (!mutableElement)
        {
            mutableElement = handle.GetMutable();
        }
        return *mutableElement;
    };
    bool changed = false;
    for (int slot = 0; slot < static_cast<int>(SCENE_TEXTURE_SLOT_COUNT); ++slot)
    {
        ImGui::PushID(slot);
        ImGuiPropertyRowLabel(true);
        Text(SPRITE_TEXTURE_LABELS[slot]);
        ImGuiPropertyRowValue(true);
        changed |= PathField(handle->myTextures[slot], ".dds", "Set From AssetBrowser", "Clear",
                             [&](StringId aPath) { edit().myTextures[slot] = aPath; });
        ImGui::PopID();
    }
    ImGuiPropertyRowLabel(true);
    ImGuiPropertyRowValue(true);

    auto pair = [&](const char* aRowLabel, const char* aId, Vector2<float> aValue, Vector2<float> SceneSprite::*aField) {
        ImGuiPropertyRowLabel(true);
        ImGui::Indent();
        Text(aRowLabel);
        ImGui::Unindent();
        ImGuiPropertyRowValue(true);
        Vector2<float> edited = aValue;
        if (ImGui::DragFloat2(aId, &edited.x, 1.0f, 0.0f, 0.0f, "%.3f") && !(edited == aValue))
        {
            edit().*aField = edited;
            changed = true;
        }
    };
    pair("Size", "##size", handle->mySize, &SceneSprite::mySize);
    pair("Pivot", "##pivot", handle->myPivot, &SceneSprite::myPivot);
    return changed;
}
}

int ShownComboIndex(int aValue, int aCount)
{
    return std::clamp(aValue, 0, aCount - 1);
}

void ImGuiPropertyRowLabel(bool aSubRow)
{
    ImGui::TableNextRow();
    ImGui::TableSetColumnIndex(0);
    if (!aSubRow)
    {
        ImGui::Separator();
    }
    ImGui::AlignTextToFramePadding();
}

void ImGuiPropertyRowValue(bool aSubRow)
{
    ImGui::TableSetColumnIndex(1);
    if (!aSubRow)
    {
        ImGui::Separator();
    }
    ImGui::PushItemWidth(-1.0f);
}

void ImGuiHelpMarker(const char* aText, bool aSameLine)
{
    if (aSameLine)
    {
        ImGui::SameLine(0.0f, -1.0f);
    }
    ImGui::TextDisabled("\xEE\x82\x82");
    // 1.86 has no BeginItemTooltip: a hovered check and a plain tooltip do the same.
    if (ImGui::IsItemHovered())
    {
        ImGui::BeginTooltip();
        ImGui::PushTextWrapPos(ImGui::GetFontSize() * 35.0f);
        ImGui::TextUnformatted(aText);
        ImGui::PopTextWrapPos();
        ImGui::EndTooltip();
    }
}

void InstallPropertyEditors()
{
    SetPropertyEditFunction(*GetPropertyType<ObjectTag>(), EditObjectTag);
    SetPropertyEditFunction(*GetPropertyType<ModelValue>(), EditModel);
    SetPropertyEditFunction(*GetPropertyType<SpriteValue>(), EditSprite);
    SetPropertyEditFunction(*GetPropertyType<SceneReferenceValue>(), EditScene);
    SetPropertyEditFunction(*GetPropertyType<AnimationClipValue>(), EditClip);
    SetPropertyEditFunction(*GetPropertyType<PoseAndMotion>(), EditPose);
    SetPropertyEditFunction(*GetPropertyType<ParticleSystemValue>(), EditParticles);
    SetPropertyEditFunction(*GetPropertyType<ObjectReferenceValue>(), EditObject);
    SetPropertyEditFunction(*GetPropertyType<DropType>(), EditDropType);
    SetPropertyEditFunction(*GetPropertyType<TileMaterial>(), EditTileMaterial);
    SetPropertyEditFunction(*GetPropertyType<bool>(), EditBool);
    SetPropertyEditFunction(*GetPropertyType<i32>(), EditInt);
    SetPropertyEditFunction(*GetPropertyType<float>(), EditFloat);
    SetPropertyEditFunction(*GetPropertyType<Vector2<float>>(), EditFloat2);
    SetPropertyEditFunction(*GetPropertyType<Vector3<float>>(), EditFloat3);
    SetPropertyEditFunction(*GetPropertyType<Vector4<float>>(), EditFloat4);
    SetPropertyEditFunction(*GetPropertyType<Color>(), EditColor);
    SetPropertyEditFunction(*GetPropertyType<StringId>(), EditStringId);
}
}
