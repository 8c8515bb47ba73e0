#include "scene/JsonRead.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <vector>

using namespace Qel;
using Json = nlohmann::json;

namespace
{
StringId Id(const std::string& aText)
{
    return StringId(aText);
}

// Each test uses its own element type so pool state does not leak between tests.
struct CounterElement
{
    int myValue = 0;
};
struct GrowthElement
{
    int myValue = 0;
};
struct FreeListElement
{
    int myValue = 0;
};
}

TEST(CopyOnWrite, DefaultHandleIsTheImmortalElement)
{
    auto& pool = impl::StaticObjectPool<CounterElement>::Get();
    const CopyOnWriteWrapper<CounterElement> handle;
    EXPECT_EQ(handle.GetBucket(), pool.GetDefaultBucket());
    EXPECT_EQ(handle.GetElement(), pool.GetDefaultElement());
    {
        std::vector<CopyOnWriteWrapper<CounterElement>> copies(1000, handle);
    }
    EXPECT_EQ(handle.GetReferenceCount(), impl::POOL_IMMORTAL_COUNT);

    CopyOnWriteWrapper<CounterElement> edited = handle;
    CounterElement* mutableElement = edited.GetMutable();
    EXPECT_NE(mutableElement, pool.GetDefaultElement());
    EXPECT_EQ(edited.GetReferenceCount(), 1u);
    mutableElement->myValue = 5;
    EXPECT_EQ(handle->myValue, 0); // the default never changes
    EXPECT_EQ(edited.GetMutable(), mutableElement); // sole holder: edited in place

    CopyOnWriteWrapper<CounterElement> sibling = edited;
    EXPECT_EQ(edited.GetReferenceCount(), 2u);
    CounterElement* split = sibling.GetMutable();
    EXPECT_NE(split, mutableElement);
    split->myValue = 6;
    EXPECT_EQ(edited->myValue, 5);
    EXPECT_EQ(sibling->myValue, 6);
    EXPECT_EQ(edited.GetReferenceCount(), 1u);
    EXPECT_EQ(sibling.GetReferenceCount(), 1u);

    sibling = sibling; // self-assignment keeps the element
    EXPECT_EQ(sibling.GetReferenceCount(), 1u);
    EXPECT_EQ(sibling->myValue, 6);
}

TEST(CopyOnWrite, ReleasedElementsAreReusedLastInFirstOut)
{
    auto& pool = impl::StaticObjectPool<FreeListElement>::Get();
    const FreeListElement* first;
    const FreeListElement* second;
    {
        const CopyOnWriteWrapper<FreeListElement> a(FreeListElement{1});
        const CopyOnWriteWrapper<FreeListElement> b(FreeListElement{2});
        first = a.GetElement();
        second = b.GetElement();
        // b dies first, then a: a is on top of the free list.
    }
    EXPECT_EQ(pool.GetFreeCount(), 2u);
    const CopyOnWriteWrapper<FreeListElement> c(FreeListElement{3});
    const CopyOnWriteWrapper<FreeListElement> d(FreeListElement{4});
    EXPECT_EQ(c.GetElement(), first);
    EXPECT_EQ(d.GetElement(), second);
    EXPECT_EQ(c->myValue, 3);
    EXPECT_EQ(pool.GetFreeCount(), 0u);
}

TEST(CopyOnWrite, ASecondBucketLeavesEarlierElementsInPlace)
{
    auto& pool = impl::StaticObjectPool<GrowthElement>::Get();
    std::vector<CopyOnWriteWrapper<GrowthElement>> live;
    live.reserve(impl::POOL_BUCKET_SIZE);
    for (u32 i = 1; i < impl::POOL_BUCKET_SIZE; ++i)
    {
        live.emplace_back(GrowthElement{static_cast<int>(i)});
    }
    EXPECT_EQ(pool.GetBucketCount(), 1u);
    EXPECT_EQ(pool.GetUsedInNewestBucket(), impl::POOL_BUCKET_SIZE);
    const GrowthElement* early = live.front().GetElement();
    live.emplace_back(GrowthElement{-1}); // the 1025th live element, counting the default
    EXPECT_EQ(pool.GetBucketCount(), 2u);
    EXPECT_EQ(pool.GetUsedInNewestBucket(), 1u);
    EXPECT_NE(live.back().GetBucket(), live.front().GetBucket());
    EXPECT_EQ(live.front().GetElement(), early);
    EXPECT_EQ(early->myValue, 1);
}

// ---- JSON forms of the asset references -----------------------------------------------------

namespace
{
SceneModel ReadModel(const char* aJson)
{
    return PropertyValue(GetPropertyType<ModelValue>(), Json::parse(aJson)).Get<ModelValue>().Get();
}
SceneSprite ReadSprite(const Json& aJson)
{
    return PropertyValue(GetPropertyType<SpriteValue>(), aJson).Get<SpriteValue>().Get();
}
std::string ModelError(const char* aJson)
{
    try
    {
        ReadModel(aJson);
    }
    catch (const std::exception& error)
    {
        return error.what();
    }
    return "no error";
}
}

TEST(SceneAssetJson, ModelReaderPrecedence)
{
    SceneModel m = ReadModel(R"({"vertexShader": "A", "shaders": [{"vertexShader": "B", "fragmentShader": "F"}]})");
    for (u32 i = 0; i < 4; ++i)
    {
        EXPECT_EQ(m.myVertexShader[i], Id("A"));
    }
    EXPECT_EQ(m.myFragmentShader[0], Id("F"));
    EXPECT_TRUE(m.myFragmentShader[1].IsEmpty());

    m = ReadModel(R"({"renderConfig": [{}]})");
    EXPECT_EQ(m.myBlendState[0], 1);
    EXPECT_EQ(m.myDepthStencilState[0], 0);
    m = ReadModel(R"({"renderConfig": [{}, {}]})");
    EXPECT_EQ(m.myBlendState[1], 1); // an item without "blendState" means 1 on any mesh
    m = ReadModel(R"({"blendState": 2})");
    EXPECT_EQ(std::vector<i32>(m.myBlendState, m.myBlendState + 4), (std::vector<i32>{2, 0, 0, 0}));
    m = ReadModel(R"({"blendState": 2, "depthStencilState": 3, "renderConfig": [{"blendState": 0}]})");
    EXPECT_EQ(m.myBlendState[0], 0);
    EXPECT_EQ(m.myDepthStencilState[0], 0);
    m = ReadModel(R"({"path": "a.fbx", "textures": [["a", "b", "c", "d", "e"], "x.dds", [], [], ["last"]]})");
    EXPECT_EQ(m.myPath, Id("a.fbx"));
    EXPECT_EQ(m.myTextures[0][3], Id("d"));
    EXPECT_EQ(m.myTextures[1][0], Id("x.dds"));
    EXPECT_TRUE(m.myTextures[3][0].IsEmpty()); // the fifth item is ignored

    EXPECT_NE(ModelError(R"({"textures": [["a", 5]]})").find("type must be string, but is number"), std::string::npos);
    EXPECT_NE(ModelError(R"("x.fbx")").find("cannot use value() with string"), std::string::npos);
    EXPECT_NE(ModelError(R"({"textures": "a.dds"})").find("must be an array"), std::string::npos);
    EXPECT_NE(ModelError(R"({"shaders": {"vertexShader": "a"}})").find("must be an array"), std::string::npos);
    EXPECT_NE(ModelError(R"({"shaders": [5]})").find("cannot use value() with number"), std::string::npos);
    EXPECT_NE(ModelError(R"({"renderConfig": [{"blendState": "x"}]})").find("type must be number"), std::string::npos);
}

TEST(SceneAssetJson, DefaultModelWritesAllFourMeshes)
{
    Json written;
    PropertyValue::MakeDefault(GetPropertyType<ModelValue>()).WriteJson(written);
    const Json expected = Json::parse(R"({"path": "",
        "renderConfig": [{"blendState": 1, "depthStencilState": 0}, {"blendState": 0, "depthStencilState": 0},
                         {"blendState": 0, "depthStencilState": 0}, {"blendState": 0, "depthStencilState": 0}],
        "shaders": [{"fragmentShader": "", "vertexShader": ""}, {"fragmentShader": "", "vertexShader": ""},
                    {"fragmentShader": "", "vertexShader": ""}, {"fragmentShader": "", "vertexShader": ""}],
        "textures": [["", "", "", ""], ["", "", "", ""], ["", "", "", ""], ["", "", "", ""]]})");
    EXPECT_EQ(written, expected);
}

TEST(SceneAssetJson, SpriteReader)
{
    EXPECT_EQ(ReadSprite(Json::parse(R"({"texturePath": "p"})")).myTextures[0], Id("p"));
    EXPECT_EQ(ReadSprite(Json::parse(R"({"texturePath": "p", "textures": ["t"]})")).myTextures[0], Id("t"));
    EXPECT_EQ(ReadSprite(Json::parse(R"({"texturePath": "p", "textures": []})")).myTextures[0], Id("p"));
    EXPECT_EQ(ReadSprite(42), SceneSprite());
    EXPECT_EQ(ReadSprite(nullptr), SceneSprite());
    const SceneSprite sized = ReadSprite(Json::parse(R"({"size": [10, 20]})"));
    EXPECT_EQ(sized.mySize, Vector2<float>(10, 20));
    EXPECT_EQ(sized.myPivot, Vector2<float>(0.5f, 0.5f));
    EXPECT_ANY_THROW(ReadSprite(Json::parse(R"({"pivot": [1]})")));
    EXPECT_ANY_THROW(ReadSprite(Json::parse(R"({"textures": [1]})")));
}

TEST(SceneAssetJson, PathReferencesReadOnlyTheirOwnKey)
{
    const struct
    {
        const PropertyTypeBase* myType;
        const char* myKey;
    } types[] = {{GetPropertyType<SceneReferenceValue>(), "scene_path"},
                 {GetPropertyType<AnimationClipValue>(), "clip_path"},
                 {GetPropertyType<ParticleSystemValue>(), "particleSystemPath"},
                 {GetPropertyType<ObjectReferenceValue>(), "path"}};
    for (const auto& t : types)
    {
        SCOPED_TRACE(t.myKey);
        for (const auto& other : types)
        {
            const PropertyValue value(t.myType, Json{{other.myKey, "a/b.x"}});
            Json written;
            value.WriteJson(written);
            EXPECT_EQ(written, (Json{{t.myKey, &other == &t ? "a/b.x" : ""}}));
        }
        EXPECT_NO_THROW(PropertyValue(t.myType, Json::object()));
        try
        {
            PropertyValue(t.myType, Json("x.qlac"));
            ADD_FAILURE() << "a string value must not read";
        }
        catch (const std::exception& error)
        {
            EXPECT_NE(std::string(error.what()).find("cannot use value() with string"), std::string::npos);
        }
        EXPECT_ANY_THROW(PropertyValue(t.myType, Json{{t.myKey, 5}}));
    }
}

TEST(SceneAssetJson, ResolversAreNullUntilInstalled)
{
    SceneModel model;
    model.myPath = Id("art/m.fbx");
    EXPECT_EQ(model.Resolve(), nullptr);
    auto& resolvers = GetSceneAssetResolvers();
    static int calls = 0;
    resolvers.myResolveParticleSystem = [](StringId) -> ParticleSystem* {
        ++calls;
        return nullptr;
    };
    EXPECT_EQ(ParticleSystemReference{}.Resolve(), nullptr); // empty path: not asked
    EXPECT_EQ(calls, 0);
    ParticleSystemReference{Id("vfx/a.qlap")}.Resolve();
    EXPECT_EQ(calls, 1);
    resolvers.myResolveParticleSystem = nullptr;
}

TEST(SceneAssetJson, CopyOnWriteThroughPropertyValues)
{
    const PropertyValue original(GetPropertyType<ModelValue>(), Json::parse(R"({"path": "m.fbx"})"));
    PropertyValue copy = original;
    EXPECT_EQ(original.Get<ModelValue>().GetReferenceCount(), 2u);
    copy.Get<ModelValue>().GetMutable()->myBlendState[0] = 2;
    EXPECT_EQ(original.Get<ModelValue>()->myBlendState[0], 1);
    EXPECT_EQ(copy.Get<ModelValue>()->myBlendState[0], 2);
    EXPECT_EQ(original.Get<ModelValue>().GetReferenceCount(), 1u);
    EXPECT_EQ(copy.Get<ModelValue>().GetReferenceCount(), 1u);
}
