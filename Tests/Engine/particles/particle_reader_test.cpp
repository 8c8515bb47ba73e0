// The ".qlap" reader and its cache.
#include "TestSupport.h"
#include "particles/ParticleSystemLoader.h"
#include "scene/ContentLog.h"
#include "scene/SceneAssets.h"
#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace Qel;

namespace
{
class ParticleReaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        mySaved = Settings::GetGameAssetsPath();
        Settings::GetGameAssetsPath() = myFolder.Path();
        ParticleSystemLoader::ClearCache();
    }
    void TearDown() override
    {
        ParticleSystemLoader::ClearCache();
        Settings::GetGameAssetsPath() = mySaved;
    }
    bool Read(const std::string& aText, ParticleSystem& aOut)
    {
        return ParticleSystemLoader::Read(aText, "fx/test.qlap", aOut, myLog);
    }

    QelTest::TempFolder myFolder;
    std::filesystem::path mySaved;
    std::ostringstream myOutput;
    ContentLog myLog{&myOutput};
};
}

TEST_F(ParticleReaderTest, MissingKeysAndMissingFilesTakeTheirDefaults)
{
    ParticleSystem empty;
    ASSERT_TRUE(Read("{}", empty));
    EXPECT_EQ(empty.particleCount, 1);
    EXPECT_EQ(empty.lifetimeRange.x, 1.0f);
    EXPECT_EQ(empty.lifetimeRange.y, 1.0f);
    EXPECT_EQ(empty.scaleRange.y, 100.0f);
    EXPECT_TRUE(empty.turbulenceRandomizeSeed);
    EXPECT_EQ(empty.depthStencilState, 3u);
    EXPECT_EQ(empty.blendState, 1u);
    EXPECT_EQ(empty.velocityMin.y, 0.0f);
    EXPECT_EQ(empty.scaleEasing.sustainedPeriod.x, 0.0f);
    EXPECT_EQ(empty.scaleEasing.sustainedPeriod.y, 1.0f);
    EXPECT_EQ(empty.spawnDirection.z, 1.0f);
    EXPECT_EQ(myLog.GetMessages().size(), 0u);

    ParticleSystem* missing = ParticleSystemLoader::Get(StringId(std::string("fx/none.qlap")));
    EXPECT_EQ(missing->particleCount, 8);
    EXPECT_EQ(missing->velocityMin.y, -100.0f);
    EXPECT_EQ(missing->accelerationMax.y, -100.0f);
    EXPECT_EQ(missing->scaleEasing.sustainedPeriod.x, 0.2f);
    EXPECT_EQ(missing->scaleEasing.sustainedPeriod.y, 0.8f);
    EXPECT_FALSE(missing->turbulenceRandomizeSeed);
    EXPECT_EQ(ParticleSystemLoader::Get(StringId(std::string("fx/none.qlap"))), missing);
}

TEST_F(ParticleReaderTest, EveryKeyIsRead)
{
    myFolder.Write("fx/sparks.qlap", R"({
        "texturePath": "fx/T_Spark_C.dds", "vertexShader": "", "fragmentShader": "art/shaders/Glow.hlsl",
        "scaleEasing": {"sustainedPeriod": [0.1, 0.7], "inEase": 1, "outEase": 5, "inEaseDir": 2, "outEaseDir": 1},
        "spawnType": 2, "spawnMin": [-1, -2, -3], "spawnMax": [1, 2, 3], "spawnDirection": [0, 1, 0],
        "spawnRadiusMin": 5, "spawnRadiusMax": 6, "spawnSpread": 30, "velocityType": 1,
        "spawnVelocityDirection": [1, 0, 0], "spawnVelocityMin": 7, "spawnVelocityMax": 8, "spawnVelocitySpread": 9,
        "velocityMin": [1, 1, 1], "velocityMax": [2, 2, 2], "accelerationMin": [3, 3, 3], "accelerationMax": [4, 4, 4],
        "angularVelocityMin": [5, 5, 5], "angularVelocityMax": [6, 6, 6],
        "angularAccelerationMin": [7, 7, 7], "angularAccelerationMax": [8, 8, 8],
        "scaleRange": [10, 20], "lifetimeRange": [0.5, 2], "particleCount": 2.9, "framesX": 4, "framesY": 2,
        "depthStencilState": 0, "blendState": 2, "alphaTestThreshold": 0.25, "simulateInLocalSpace": true,
        "isLoop": true, "affectedByPlayerMovementAmount": 0.5, "collideWithTilemap": true, "colliderRadius": 12,
        "tilemapFriction": 0.3, "tilemapBounce": 0.4, "warmupTime": 1.5, "useTurbulence": true,
        "turbulenceRandomizeSeed": false, "turbulenceNoiseSeed": 77, "turbulenceNoiseScale": 0.01,
        "turbulenceIntensity": 300, "turbulenceNoiseVelocityMin": [0, 1, 2], "turbulenceNoiseVelocityMax": [3, 4, 5],
        "velocityDamping": 0.9, "unknownKey": "ignored"
    })");
    ParticleSystem* s = ParticleSystemLoader::Get(StringId(std::string("fx/sparks.qlap")));
    EXPECT_EQ(s->texturePath.GetView(), "fx/T_Spark_C.dds");
    EXPECT_TRUE(s->vertexShader.IsEmpty());
    EXPECT_EQ(s->fragmentShader.GetView(), "art/shaders/Glow.hlsl");
    EXPECT_EQ(s->scaleEasing.sustainedPeriod.y, 0.7f);
    EXPECT_EQ(s->scaleEasing.releaseCurve, 5);
    EXPECT_EQ(s->scaleEasing.attackMode, 2);
    EXPECT_EQ(s->spawnType, 2);
    EXPECT_EQ(s->spawnMin.z, -3.0f);
    EXPECT_EQ(s->spawnRadiusMax, 6.0f);
    EXPECT_EQ(s->velocityType, 1);
    EXPECT_EQ(s->spawnVelocitySpread, 9.0f);
    EXPECT_EQ(s->angularAccelerationMax.x, 8.0f);
    EXPECT_EQ(s->scaleRange.y, 20.0f);
    EXPECT_EQ(s->particleCount, 2);
    EXPECT_EQ(s->framesX, 4);
    EXPECT_EQ(s->depthStencilState, 0u);
    EXPECT_EQ(s->blendState, 2u);
    EXPECT_TRUE(s->simulateInLocalSpace && s->isLoop && s->collideWithTilemap && s->useTurbulence);
    EXPECT_FALSE(s->turbulenceRandomizeSeed);
    EXPECT_EQ(s->turbulenceNoiseSeed, 77);
    EXPECT_EQ(s->turbulenceNoiseVelocityMax.z, 5.0f);
    EXPECT_FLOAT_EQ(s->velocityDamping, 0.9f);
    EXPECT_FLOAT_EQ(s->tilemapBounce, 0.4f);
    // Read once: a changed file is not read again, and the record stays where it was.
    myFolder.Write("fx/sparks.qlap", "{\"particleCount\": 50}");
    EXPECT_EQ(ParticleSystemLoader::Get(StringId(std::string("fx/sparks.qlap"))), s);
    EXPECT_EQ(s->particleCount, 2);
    // Scene references resolve through the cache.
    ParticleSystemReference reference{StringId(std::string("fx/sparks.qlap"))};
    EXPECT_EQ(reference.Resolve(), s);
}

TEST_F(ParticleReaderTest, MalformedFilesGiveDefaultsAndAMessage)
{
    const std::pair<std::string, std::string> cases[] = {
        {"{\"particleCount\": ", "parse_error"},
        {"[1, 2]", "cannot use value() with array"},
        {"{\"particleCount\": \"many\"}", "\"particleCount\": [json.exception.type_error.302] type must be number, but is string"},
        {"{\"isLoop\": 1}", "\"isLoop\": [json.exception.type_error.302] type must be boolean, but is number"},
        {"{\"spawnMin\": [1, 2]}", "\"spawnMin\": 3 numbers expected, found 2"},
        {"{\"spawnMin\": 4}", "type must be array, but is number"},
        {"{\"scaleEasing\": 3}", "\"scaleEasing\": cannot use value() with number"},
        {"{\"texturePath\": 5}", "type must be string, but is number"},
    };
    for (const auto& [text, cause] : cases)
    {
        ParticleSystem record;
        record.particleCount = 42;
        EXPECT_FALSE(Read(text, record)) << text;
        EXPECT_EQ(record.particleCount, 42) << "left as it was";
        EXPECT_TRUE(myLog.Contains("fx/test.qlap: error: ")) << text;
        EXPECT_TRUE(myLog.Contains(cause)) << "expected '" << cause << "' for " << text << "\n" << myOutput.str();
    }
    myFolder.Write("fx/broken.qlap", "{ not json");
    ParticleSystem* broken = ParticleSystemLoader::Get(StringId(std::string("fx/broken.qlap")));
    EXPECT_EQ(broken->particleCount, 8);
}

TEST_F(ParticleReaderTest, OutOfRangeValuesAreClampedWithAWarning)
{
    ParticleSystem s;
    ASSERT_TRUE(Read(R"({"particleCount": -5, "framesX": 0, "framesY": -2, "lifetimeRange": [0, 0], "blendState": 7,
                         "depthStencilState": -1, "warmupTime": -3, "scaleEasing": {"inEase": 99, "outEaseDir": 9},
                         "velocityDamping": -1})",
                     s));
    EXPECT_EQ(s.particleCount, 0);
    EXPECT_EQ(s.framesX, 1);
    EXPECT_EQ(s.framesY, 1);
    EXPECT_GT(s.lifetimeRange.y, 0.0f);
    EXPECT_LE(s.lifetimeRange.x, s.lifetimeRange.y);
    EXPECT_EQ(s.blendState, 1u);
    EXPECT_EQ(s.depthStencilState, 3u);
    EXPECT_EQ(s.warmupTime, 0.0f);
    EXPECT_EQ(s.scaleEasing.attackCurve, 0);
    EXPECT_EQ(s.scaleEasing.releaseMode, 0);
    EXPECT_EQ(s.velocityDamping, 0.0f);
    EXPECT_EQ(myLog.GetWarningCount(), 9);
    EXPECT_TRUE(myLog.Contains("fx/test.qlap: warning: \"particleCount\" -5 is negative; 0 is used"));

    ParticleSystem huge;
    ASSERT_TRUE(Read(R"({"particleCount": 1e30, "framesX": 5000, "warmupTime": 1e9})", huge));
    EXPECT_EQ(huge.particleCount, MAX_PARTICLES_PER_SYSTEM);
    EXPECT_EQ(huge.framesX, 4096);
    EXPECT_EQ(huge.warmupTime, MAX_PARTICLE_WARMUP);
}
