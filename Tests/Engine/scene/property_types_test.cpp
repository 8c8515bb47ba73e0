#include "scene/JsonRead.h"
#include "scene/PropertyTypes.h"
#include "scene/PropertyValue.h"
#include "stringRegistry/StringRegistry.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <string>

using namespace Qel;
using Json = nlohmann::json;

namespace
{
StringId Id(const std::string& aText)
{
    return StringId(aText);
}

template <class T>
T ReadAs(const char* aTypeName, const Json& aValue)
{
    const PropertyTypeBase* type = PropertyTypeRegistry::FindByName(Id(aTypeName));
    EXPECT_EQ(type, GetPropertyType<T>()) << aTypeName;
    PropertyValue value(type, aValue);
    return value.Get<T>();
}

std::string ReadError(const char* aTypeName, const Json& aValue)
{
    const PropertyTypeBase* type = PropertyTypeRegistry::FindByName(Id(aTypeName));
    try
    {
        PropertyValue value(type, aValue);
    }
    catch (const std::exception& error)
    {
        return error.what();
    }
    return "no error";
}
}

TEST(PropertyTypes, EighteenTypesInOrderFoundByExactName)
{
    const char* names[] = {"Object Tag", "Model", "Sprite", "Scene", "Animation Clip", "Pose", "Particle System",
                           "Object", "DropType", "TileMaterial", "Bool", "Int", "Float", "Float2", "Float3",
                           "Float4", "Color", "StringId"};
    ASSERT_GE(PropertyTypeRegistry::GetCount(), 18u);
    for (i32 i = 0; i < 18; ++i)
    {
        const PropertyTypeBase* type = PropertyTypeRegistry::FindByName(Id(names[i]));
        ASSERT_NE(type, nullptr) << names[i];
        EXPECT_EQ(type->GetIndex(), i) << names[i];
        EXPECT_EQ(type->GetName().GetView(), names[i]);
        EXPECT_EQ(PropertyTypeRegistry::GetByIndex(static_cast<u32>(i)), type);
    }
    EXPECT_EQ(PropertyTypeRegistry::FindByName(Id("Object Tag")), GetPropertyType<ObjectTag>());
    EXPECT_EQ(PropertyTypeRegistry::FindByName(Id("Float3")), GetPropertyType<Vector3<float>>());
    for (const char* wrong : {"ObjectTag", "object tag", "Droptype", "float", ""})
    {
        EXPECT_EQ(PropertyTypeRegistry::FindByName(Id(wrong)), nullptr) << wrong;
    }
}

namespace
{
struct FakeType final : PropertyTypeBase
{
    FakeType() : PropertyTypeBase("Fake") {}
    void DefaultConstruct(void*) const override {}
    void CopyConstruct(const void*, void*) const override {}
    void MoveConstruct(const void*, void*) const override {}
    void Destroy(void*) const override {}
    void ReadJson(void*, const Json&) const override {}
    void WriteJson(const void*, Json&) const override {}
    bool ImGuiEdit(void*, const char*, const char*) const override { return false; }
};
}

TEST(PropertyTypesDeathTest, RegistrationAfterLookupOrBeyondLimitAborts)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A fresh process: nothing has been looked up yet, so the table is still open.
    EXPECT_EXIT(
        {
            if (PropertyTypeRegistry::IsFinalized())
            {
                std::exit(3);
            }
            while (PropertyTypeRegistry::GetCount() < PropertyTypeRegistry::MAX_TYPES)
            {
                new FakeType();
            }
            new FakeType(); // the 513th
            std::exit(0);
        },
        testing::KilledBySignal(SIGABRT), "");
    EXPECT_EXIT(
        {
            PropertyTypeRegistry::FindByName(StringId("Int"));
            new FakeType();
            std::exit(0);
        },
        testing::KilledBySignal(SIGABRT), "");
}

TEST(PropertyTypes, ObjectTagReadsNumbersAndOldNames)
{
    const struct
    {
        Json myJson;
        i32 myExpected;
    } cases[] = {{"PowerupExtraHitpoint", 13}, {"PowerupExtraLife", 14}, {"Coin", 11}, {"ShieldPickup", 0},
                 {"player", 0}, {"Player", 1}, {7.0, 0}, {7, 7}, {300, 300}, {-3, -3}, {true, 0}, {nullptr, 0},
                 {Json::array({1}), 0}, {"BatterySpawn", 23}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(static_cast<i32>(ReadAs<ObjectTag>("Object Tag", c.myJson)), c.myExpected) << c.myJson.dump();
    }
}

TEST(PropertyTypes, SmallEnumsBoolAndNumbers)
{
    EXPECT_EQ(ReadAs<TileMaterial>("TileMaterial", 1.9), TileMaterial::Metal);
    EXPECT_EQ(ReadAs<TileMaterial>("TileMaterial", true), TileMaterial::Metal);
    EXPECT_EQ(ReadAs<TileMaterial>("TileMaterial", 258), TileMaterial::Hollow);
    EXPECT_EQ(ReadAs<DropType>("DropType", 2), DropType::Life);
    EXPECT_NE(ReadError("TileMaterial", "Metal").find("type must be number, but is string"), std::string::npos);
    EXPECT_NE(ReadError("Bool", 1).find("type must be boolean, but is number"), std::string::npos);
    EXPECT_NE(ReadError("Bool", nullptr).find("type must be boolean, but is null"), std::string::npos);
    EXPECT_TRUE(ReadAs<bool>("Bool", true));
    EXPECT_EQ(ReadAs<i32>("Int", -7.9), -7);
    EXPECT_EQ(ReadAs<i32>("Int", false), 0);
    EXPECT_NE(ReadError("Int", "5").find("type must be number, but is string"), std::string::npos);
    EXPECT_FLOAT_EQ(ReadAs<float>("Float", 3), 3.0f);
    EXPECT_NE(ReadError("StringId", 5).find("type must be string, but is number"), std::string::npos);
    EXPECT_NE(ReadError("Float4", "x").find("cannot use operator[] with a numeric argument with string"),
              std::string::npos);
}

TEST(PropertyTypes, OutOfRangeAndShortArraysAreErrors)
{
    // Undefined conversions in the library are refused instead.
    for (const char* type : {"Int", "TileMaterial", "DropType"})
    {
        EXPECT_NE(ReadError(type, 1e20).find("out of range"), std::string::npos) << type;
    }
    EXPECT_NE(ReadError("Int", 4294967296ll).find("out of range"), std::string::npos);
    EXPECT_NE(ReadError("Object Tag", 4294967296ll).find("out of range"), std::string::npos);
    EXPECT_NE(ReadError("Float", 1e300).find("out of range"), std::string::npos);
    EXPECT_NE(ReadError("Float3", Json::array({1, 2})).find("array of 3 numbers"), std::string::npos);
    EXPECT_NE(ReadError("Color", Json::array()).find("array of 4 numbers"), std::string::npos);
    EXPECT_NE(ReadError("Float2", Json::array({1, "a"})).find("type must be number"), std::string::npos);
}

TEST(PropertyTypes, StringIdNullAndOverLong)
{
    PropertyValue empty = PropertyValue::MakeDefault(GetPropertyType<StringId>());
    Json written;
    empty.WriteJson(written);
    EXPECT_EQ(written, Json(""));
    EXPECT_TRUE(ReadAs<StringId>("StringId", written).IsEmpty());
    EXPECT_TRUE(ReadAs<StringId>("StringId", std::string(1024, 'a')).IsEmpty());
    EXPECT_EQ(ReadAs<StringId>("StringId", std::string(1023, 'a')).GetView().size(), 1023u);
}

// Every type: the default, a written-then-read value equal to the first, and copies.
TEST(PropertyTypes, RoundTripEveryType)
{
    SceneModel model;
    model.myPath = Id("art/m.fbx");
    model.myTextures[2][3] = Id("t.dds");
    model.myVertexShader[1] = Id("vs");
    model.myFragmentShader[3] = Id("ps");
    model.myBlendState[2] = 2;
    model.myDepthStencilState[3] = 3;
    SceneSprite sprite;
    sprite.myTextures[1] = Id("n.dds");
    sprite.mySize = {3.5f, 4.25f};
    sprite.myPivot = {0.1f, 0.9f};
    PoseAndMotion pose;

    const PropertyValue values[] = {
        PropertyValue::Make(ObjectTag::Checkpoint),
        PropertyValue::Make(ModelValue(model)),
        PropertyValue::Make(SpriteValue(sprite)),
        PropertyValue::Make(SceneReferenceValue(SceneReference{Id("scenes/a.qls")})),
        PropertyValue::Make(AnimationClipValue(AnimationClipReference{Id("clip.fbx")})),
        PropertyValue::Make(pose),
        PropertyValue::Make(ParticleSystemValue(ParticleSystemReference{Id("vfx/p.qlap")})),
        PropertyValue::Make(ObjectReferenceValue(ObjectReference{Id("objects/QLO_A.qlo")})),
        PropertyValue::Make(DropType::Powerup),
        PropertyValue::Make(TileMaterial::Hollow),
        PropertyValue::Make(true),
        PropertyValue::Make(i32(-123456)),
        PropertyValue::Make(0.1f),
        PropertyValue::Make(Vector2<float>(1.5f, -2.0f)),
        PropertyValue::Make(Vector3<float>(1.1f, -2.5f, 1e6f)),
        PropertyValue::Make(Vector4<float>(1, 2, 3, 4)),
        PropertyValue::Make(Color(0.25f, 0.5f, 0.75f, 1.0f)),
        PropertyValue::Make(Id("some text")),
    };
    ASSERT_EQ(std::size(values), 18u);
    for (const PropertyValue& value : values)
    {
        const PropertyTypeBase* type = value.GetType();
        SCOPED_TRACE(type->GetDisplayName());
        Json json;
        value.WriteJson(json);
        // Through text, as the files go.
        const PropertyValue back(type, Json::parse(json.dump()));
        Json again;
        back.WriteJson(again);
        EXPECT_EQ(json, again);
        const PropertyValue copy(back);
        Json copied;
        copy.WriteJson(copied);
        EXPECT_EQ(json, copied);
        const PropertyValue fresh = PropertyValue::MakeDefault(type);
        EXPECT_EQ(fresh.GetType(), type);
    }
    EXPECT_EQ(PropertyValue(GetPropertyType<Vector3<float>>(), Json::parse("[1.100000023841858,-2.5,1000000.0]"))
                  .Get<Vector3<float>>(),
              Vector3<float>(1.1f, -2.5f, 1e6f));
    Json poseJson = 5;
    values[5].WriteJson(poseJson);
    EXPECT_TRUE(poseJson.is_null());
    EXPECT_EQ(PropertyValue(GetPropertyType<ModelValue>(), [&] { Json j; values[1].WriteJson(j); return j; }())
                  .Get<ModelValue>()
                  .Get(),
              model);
    EXPECT_EQ(PropertyValue(GetPropertyType<SpriteValue>(), [&] { Json j; values[2].WriteJson(j); return j; }())
                  .Get<SpriteValue>()
                  .Get(),
              sprite);
}

TEST(PropertyTypes, DefaultsOfThePlainTypes)
{
    EXPECT_EQ(PropertyValue::MakeDefault(GetPropertyType<ObjectTag>()).Get<ObjectTag>(), ObjectTag::Default);
    EXPECT_EQ(PropertyValue::MakeDefault(GetPropertyType<TileMaterial>()).Get<TileMaterial>(), TileMaterial::Concrete);
    EXPECT_EQ(PropertyValue::MakeDefault(GetPropertyType<Color>()).Get<Color>(), Color());
    EXPECT_EQ(PropertyValue::MakeDefault(GetPropertyType<float>()).Get<float>(), 0.0f);
    EXPECT_EQ(PropertyValue::MakeDefault(GetPropertyType<PoseAndMotion>()).Get<PoseAndMotion>(), PoseAndMotion());
    const auto& model = PropertyValue::MakeDefault(GetPropertyType<ModelValue>()).Get<ModelValue>();
    EXPECT_EQ(model.GetElement(), impl::StaticObjectPool<SceneModel>::Get().GetDefaultElement());
}

TEST(PropertyValue, LifetimeThroughTheDescriptor)
{
    const ObjectReferenceValue shared(ObjectReference{Id("objects/QLO_Life.qlo")});
    ASSERT_EQ(shared.GetReferenceCount(), 1u);
    {
        PropertyValue a = PropertyValue::Make(shared);
        EXPECT_EQ(shared.GetReferenceCount(), 2u);
        PropertyValue b(std::move(a)); // a move adds a reference and leaves the source holding it
        EXPECT_EQ(shared.GetReferenceCount(), 3u);
        EXPECT_EQ(a.Get<ObjectReferenceValue>()->myPath, shared->myPath);
        b = b; // self-assignment keeps the element alive
        EXPECT_EQ(shared.GetReferenceCount(), 3u);
        b = PropertyValue::Make(i32(5)); // the old value goes through its own descriptor
        EXPECT_EQ(shared.GetReferenceCount(), 2u);
        EXPECT_EQ(b.Get<i32>(), 5);
        EXPECT_EQ(b.TryGet<float>(), nullptr);
    }
    EXPECT_EQ(shared.GetReferenceCount(), 1u);

    // A reader that throws leaves nothing behind in the pool.
    {
        const ModelValue primed{SceneModel{}}; // leaves one element on the free list
    }
    const std::size_t freeBefore = impl::StaticObjectPool<SceneModel>::Get().GetFreeCount();
    EXPECT_ANY_THROW(PropertyValue(GetPropertyType<ModelValue>(), Json::parse(R"({"textures": [["a", 5]]})")));
    EXPECT_EQ(impl::StaticObjectPool<SceneModel>::Get().GetFreeCount(), freeBefore);
}
