#include "scene/PropertyValue.h"
#include "scene/editor/PropertyEditors.h"

#include <gtest/gtest.h>
#include <imgui.h>
#include <imgui_internal.h>
#include <nlohmann/json.hpp>

#include <functional>

using namespace Qel;
using Json = nlohmann::json;

namespace
{
StringId Id(const std::string& aText)
{
    return StringId(aText);
}

// A headless ImGui context: frames run with no renderer; the mouse is driven by hand
// (1.86 has no input-event calls, so io.MousePos and io.MouseDown are set directly).
class Frames
{
public:
    Frames()
    {
        InstallPropertyEditors();
        ImGui::CreateContext();
        ImGuiIO& io = ImGui::GetIO();
        io.DisplaySize = ImVec2(1000, 2000);
        io.DeltaTime = 1.0f / 60.0f;
        io.IniFilename = nullptr;
        io.MouseDoubleClickTime = 0.0f; // clicks in quick succession stay single clicks
        unsigned char* pixels;
        int width, height;
        io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
        io.Fonts->SetTexID(reinterpret_cast<ImTextureID>(static_cast<intptr_t>(1)));
    }
    ~Frames() { ImGui::DestroyContext(); }

    // One frame of aDraw inside a two-column table; remembers the last item's rectangle.
    bool Frame(const std::function<bool()>& aDraw)
    {
        ImGui::NewFrame();
        ImGui::SetNextWindowPos(ImVec2(0, 0));
        ImGui::SetNextWindowSize(ImVec2(1000, 2000));
        ImGui::Begin("Properties", nullptr, ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove);
        bool changed = false;
        if (ImGui::BeginTable("table", 2))
        {
            changed = aDraw();
            myLastMin = ImGui::GetItemRectMin();
            myLastMax = ImGui::GetItemRectMax();
            ImGui::EndTable();
        }
        ImGui::End();
        ImGui::Render();
        return changed;
    }

    // Press and release at aPoint, drawing every frame; true when any frame reported an edit.
    bool Click(ImVec2 aPoint, const std::function<bool()>& aDraw)
    {
        bool changed = false;
        for (bool down : {false, true, false, false})
        {
            ImGui::GetIO().MousePos = aPoint;
            ImGui::GetIO().MouseDown[0] = down;
            changed |= Frame(aDraw);
        }
        return changed;
    }

    bool Drag(ImVec2 aPoint, float aDistance, const std::function<bool()>& aDraw)
    {
        bool changed = false;
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = aPoint;
        io.MouseDown[0] = false;
        changed |= Frame(aDraw);
        io.MouseDown[0] = true;
        changed |= Frame(aDraw);
        for (int i = 1; i <= 8; ++i)
        {
            io.MousePos = ImVec2(aPoint.x + aDistance * static_cast<float>(i) / 8.0f, aPoint.y);
            changed |= Frame(aDraw);
        }
        io.MouseDown[0] = false;
        changed |= Frame(aDraw);
        return changed;
    }

    // A point inside the last item, aFraction of the way across (groups of several
    // components have gaps at their halves and quarters).
    ImVec2 LastItem(float aFraction = 0.5f) const
    {
        return ImVec2(myLastMin.x + (myLastMax.x - myLastMin.x) * aFraction, (myLastMin.y + myLastMax.y) * 0.5f);
    }
    float LastItemLeft() const { return myLastMin.x; }

    // Item aIndex of the open combo list.
    ImVec2 ComboItem(int aIndex) const
    {
        const ImGuiWindow* popup = ImGui::FindWindowByName("##Combo_00");
        EXPECT_NE(popup, nullptr);
        if (!popup)
        {
            return {};
        }
        const float line = ImGui::GetTextLineHeight();
        const float step = line + ImGui::GetStyle().ItemSpacing.y;
        return ImVec2(popup->DC.CursorStartPos.x + 10.0f,
                      popup->DC.CursorStartPos.y + step * static_cast<float>(aIndex) + line * 0.5f);
    }

    // Opens the combo that is the last item and picks aIndex.
    bool Choose(int aIndex, const std::function<bool()>& aDraw)
    {
        Frame(aDraw);
        bool changed = Click(LastItem(), aDraw);
        changed |= Click(ComboItem(aIndex), aDraw);
        return changed;
    }

private:
    ImVec2 myLastMin{};
    ImVec2 myLastMax{};
};

std::function<bool()> Editor(PropertyValue& aValue, const char* aLabel = "Label", const char* aDescription = "Help")
{
    return [&aValue, aLabel, aDescription] { return aValue.ImGuiEdit(aLabel, aDescription); };
}
}

TEST(PropertyEditors, ComboIndexIsClamped)
{
    EXPECT_EQ(ShownComboIndex(7, 3), 2);
    EXPECT_EQ(ShownComboIndex(-3, 24), 0);
    EXPECT_EQ(ShownComboIndex(99, 24), 23);
    EXPECT_EQ(ShownComboIndex(1, 3), 1);
}

TEST(PropertyEditors, EveryTypeDrawsWithAndWithoutLabelAndBrowser)
{
    Frames frames;
    std::vector<PropertyValue> values;
    for (u32 i = 0; i < 18; ++i)
    {
        values.push_back(PropertyValue::MakeDefault(PropertyTypeRegistry::GetByIndex(i)));
    }
    SceneModel model;
    model.myPath = Id("m%s%d.fbx");
    values.push_back(PropertyValue::Make(ModelValue(model)));
    values.push_back(PropertyValue::Make(ObjectTag(99)));
    auto drawAll = [&] {
        bool changed = false;
        for (std::size_t i = 0; i < values.size(); ++i)
        {
            ImGui::PushID(static_cast<int>(i));
            changed |= values[i].ImGuiEdit("L%s", "D%d");
            changed |= values[i].ImGuiEdit(nullptr, nullptr);
            ImGui::PopID();
        }
        return changed;
    };
    auto& resolvers = GetSceneAssetResolvers();
    resolvers.myGetModelMeshNames = [](StringId, std::vector<std::string>& aNames) {
        aNames = {"Body", "Wheels%s"};
        return true;
    };
    for (AssetBrowserFunction browser : {AssetBrowserFunction(nullptr), AssetBrowserFunction([](StringId&) {})})
    {
        AssetBrowserCallback = browser;
        for (int i = 0; i < 3; ++i)
        {
            EXPECT_FALSE(frames.Frame(drawAll));
        }
    }
    AssetBrowserCallback = nullptr;
    resolvers.myGetModelMeshNames = nullptr;
}

TEST(PropertyEditors, ScalarWidgetsChangeTheirValue)
{
    Frames frames;
    PropertyValue flag = PropertyValue::Make(false);
    frames.Frame(Editor(flag));
    EXPECT_TRUE(frames.Click(frames.LastItem(), Editor(flag)));
    EXPECT_TRUE(flag.Get<bool>());

    PropertyValue count = PropertyValue::Make(i32(0));
    frames.Frame(Editor(count));
    EXPECT_TRUE(frames.Drag(frames.LastItem(), 40.0f, Editor(count)));
    EXPECT_GT(count.Get<i32>(), 0);

    PropertyValue speed = PropertyValue::Make(0.0f);
    frames.Frame(Editor(speed));
    EXPECT_TRUE(frames.Drag(frames.LastItem(), 40.0f, Editor(speed)));
    EXPECT_GT(speed.Get<float>(), 0.0f);

    PropertyValue pair = PropertyValue::Make(Vector2<float>());
    frames.Frame(Editor(pair));
    EXPECT_TRUE(frames.Drag(frames.LastItem(0.62f), 40.0f, Editor(pair)));
    EXPECT_GT(pair.Get<Vector2<float>>().y, 0.0f);

    PropertyValue triple = PropertyValue::Make(Vector3<float>());
    frames.Frame(Editor(triple));
    EXPECT_TRUE(frames.Drag(frames.LastItem(0.62f), 40.0f, Editor(triple)));
    EXPECT_GT(triple.Get<Vector3<float>>().y, 0.0f);

    PropertyValue quad = PropertyValue::Make(Vector4<float>());
    frames.Frame(Editor(quad));
    EXPECT_TRUE(frames.Drag(frames.LastItem(0.62f), 40.0f, Editor(quad)));
    EXPECT_GT(quad.Get<Vector4<float>>().z, 0.0f);

    PropertyValue colour = PropertyValue::Make(Color());
    frames.Frame(Editor(colour));
    EXPECT_TRUE(frames.Drag(frames.LastItem(0.3f), 40.0f, Editor(colour)));
    EXPECT_FALSE(colour.Get<Color>() == Color());

    // A drag that ends where it began changes nothing and reports nothing.
    const float before = speed.Get<float>();
    frames.Frame(Editor(speed));
    EXPECT_FALSE(frames.Click(frames.LastItem(), Editor(speed)));
    EXPECT_EQ(speed.Get<float>(), before);
}

TEST(PropertyEditors, StringIdTypingChangesTheId)
{
    Frames frames;
    PropertyValue text = PropertyValue::Make(Id("ab"));
    frames.Frame(Editor(text));
    frames.Click(frames.LastItem(), Editor(text)); // focus the field
    ImGui::GetIO().AddInputCharacter('c');
    bool changed = frames.Frame(Editor(text));
    changed |= frames.Frame(Editor(text));
    EXPECT_TRUE(changed);
    EXPECT_EQ(text.Get<StringId>(), Id("abc"));

    // Long text is kept whole; an edit appends to all of it.
    const std::string longText(300, 'x');
    PropertyValue longValue = PropertyValue::Make(Id(longText));
    const auto longEditor = Editor(longValue, "Long"); // another id, so the field starts from this text
    frames.Frame(longEditor);
    frames.Click(frames.LastItem(), longEditor);
    ImGui::GetIO().AddInputCharacter('y');
    frames.Frame(longEditor);
    frames.Frame(longEditor);
    const std::string_view edited = longValue.Get<StringId>().GetView();
    EXPECT_GE(edited.size(), 300u);
    EXPECT_NE(edited.find('y'), std::string_view::npos);
}

TEST(PropertyEditors, EnumCombosStoreTheChoice)
{
    Frames frames;
    PropertyValue material = PropertyValue::Make(static_cast<TileMaterial>(7));
    EXPECT_TRUE(frames.Choose(1, Editor(material)));
    EXPECT_EQ(material.Get<TileMaterial>(), TileMaterial::Metal);
    EXPECT_FALSE(frames.Choose(1, Editor(material))); // the shown item again
    EXPECT_EQ(material.Get<TileMaterial>(), TileMaterial::Metal);

    PropertyValue drop = PropertyValue::Make(DropType::Battery);
    EXPECT_TRUE(frames.Choose(2, Editor(drop)));
    EXPECT_EQ(drop.Get<DropType>(), DropType::Life);

    PropertyValue tag = PropertyValue::Make(static_cast<ObjectTag>(-3));
    EXPECT_TRUE(frames.Choose(2, Editor(tag)));
    EXPECT_EQ(tag.Get<ObjectTag>(), ObjectTag::Goal);
}

TEST(PropertyEditors, PathEditorsClearCopyOnWriteAndBrowse)
{
    Frames frames;
    const PropertyTypeBase* types[] = {GetPropertyType<SceneReferenceValue>(), GetPropertyType<AnimationClipValue>(),
                                       GetPropertyType<ParticleSystemValue>(), GetPropertyType<ObjectReferenceValue>()};
    const char* keys[] = {"scene_path", "clip_path", "particleSystemPath", "path"};
    for (int i = 0; i < 4; ++i)
    {
        SCOPED_TRACE(keys[i]);
        PropertyValue value(types[i], Json{{keys[i], "some/asset.x"}});
        const PropertyValue sibling = value;
        frames.Frame(Editor(value));
        const float clearLeftWithoutBrowser = frames.LastItemLeft();
        EXPECT_TRUE(frames.Click(frames.LastItem(), Editor(value))); // "Clear"
        Json written, kept;
        value.WriteJson(written);
        sibling.WriteJson(kept);
        EXPECT_EQ(written[keys[i]], "");
        EXPECT_EQ(kept[keys[i]], "some/asset.x");
        EXPECT_FALSE(frames.Click(frames.LastItem(), Editor(value))); // clearing an empty path

        // With a browser the "Set From AssetBrowser" button comes first on the row.
        AssetBrowserCallback = [](StringId& aPath) { aPath = StringId(std::string("picked/one.x")); };
        frames.Frame(Editor(value));
        EXPECT_GT(frames.LastItemLeft(), clearLeftWithoutBrowser);
        const ImVec2 clear = frames.LastItem();
        const ImVec2 browse(frames.LastItemLeft() - 30.0f, clear.y);
        EXPECT_TRUE(frames.Click(browse, Editor(value)));
        value.WriteJson(written);
        EXPECT_EQ(written[keys[i]], "picked/one.x");
        AssetBrowserCallback = nullptr;
    }
}

TEST(PropertyEditors, ModelRenderConfigurationEditsOnlyItsOwnCopy)
{
    Frames frames;
    auto& resolvers = GetSceneAssetResolvers();
    resolvers.myGetModelMeshNames = [](StringId, std::vector<std::string>& aNames) {
        aNames = {"Body"};
        return true;
    };
    PropertyValue model(GetPropertyType<ModelValue>(), Json{{"path", "art/m.fbx"}});
    const PropertyValue sibling = model;
    frames.Frame(Editor(model));
    frames.Click(frames.LastItem(), Editor(model)); // opens "Render configuration"
    EXPECT_TRUE(frames.Choose(2, Editor(model)));  // the last item is the depth-stencil combo
    EXPECT_EQ(model.Get<ModelValue>()->myDepthStencilState[0], 2);
    EXPECT_EQ(sibling.Get<ModelValue>()->myDepthStencilState[0], 0);
    EXPECT_EQ(sibling.Get<ModelValue>()->myPath, Id("art/m.fbx"));

    resolvers.myGetModelMeshNames = nullptr;
    frames.Frame(Editor(model));
    EXPECT_TRUE(frames.Click(frames.LastItem(), Editor(model))); // without a model layer: "Clear"
    EXPECT_TRUE(model.Get<ModelValue>()->myPath.IsEmpty());
    EXPECT_EQ(model.Get<ModelValue>()->myDepthStencilState[0], 2);
}

TEST(PropertyEditors, SpritePivotDragEditsOnlyItsOwnCopy)
{
    Frames frames;
    PropertyValue sprite = PropertyValue::MakeDefault(GetPropertyType<SpriteValue>());
    const PropertyValue sibling = sprite;
    frames.Frame(Editor(sprite));
    EXPECT_TRUE(frames.Drag(frames.LastItem(0.62f), 40.0f, Editor(sprite)));
    EXPECT_GT(sprite.Get<SpriteValue>()->myPivot.y, 0.5f);
    EXPECT_EQ(sibling.Get<SpriteValue>()->myPivot, Vector2<float>(0.5f, 0.5f));
    EXPECT_EQ(sibling.Get<SpriteValue>().GetElement(), impl::StaticObjectPool<SceneSprite>::Get().GetDefaultElement());
}

// A dragged asset dropped on the path text sets the path; the payload's text is taken by its
// size, so one without a terminating NUL is read correctly and not past its end.
TEST(PropertyEditors, DroppedPathIsTakenBySize)
{
    Frames frames;
    PropertyValue value = PropertyValue::MakeDefault(GetPropertyType<ObjectReferenceValue>());
    static const char path[] = {'o', 'b', 'j', '/', 'Q', '.', 'q', 'l', 'o'}; // no NUL
    ImVec2 source{};
    auto draw = [&] {
        ImGuiPropertyRowLabel(false);
        ImGui::Button("source");
        source = ImVec2((ImGui::GetItemRectMin().x + ImGui::GetItemRectMax().x) * 0.5f,
                        (ImGui::GetItemRectMin().y + ImGui::GetItemRectMax().y) * 0.5f);
        if (ImGui::BeginDragDropSource())
        {
            ImGui::SetDragDropPayload(".qlo", path, sizeof(path));
            ImGui::EndDragDropSource();
        }
        return value.ImGuiEdit("Drop", nullptr);
    };
    frames.Frame(draw);
    const ImVec2 clear = frames.LastItem();
    const float row = ImGui::GetFrameHeight() + 2.0f * ImGui::GetStyle().CellPadding.y;
    const ImVec2 target(frames.LastItemLeft() + 5.0f, clear.y - row);

    ImGuiIO& io = ImGui::GetIO();
    io.MousePos = source;
    io.MouseDown[0] = true;
    frames.Frame(draw);
    bool changed = false;
    for (int i = 1; i <= 10; ++i)
    {
        io.MousePos = ImVec2(source.x + (target.x - source.x) * static_cast<float>(i) / 10.0f,
                             source.y + (target.y - source.y) * static_cast<float>(i) / 10.0f);
        changed |= frames.Frame(draw);
    }
    io.MouseDown[0] = false;
    changed |= frames.Frame(draw);
    changed |= frames.Frame(draw);
    EXPECT_TRUE(changed);
    EXPECT_EQ(value.Get<ObjectReferenceValue>()->myPath, Id("obj/Q.qlo"));
}
