#include "math/PerlinNoise.h"
#include "math/Random.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <vector>

using namespace Qel;

namespace
{
void ExpectValidTable(const PerlinNoise& aNoise)
{
    const auto& p = aNoise.GetPermutation();
    std::vector<u32> sorted(p.begin(), p.begin() + 256);
    std::sort(sorted.begin(), sorted.end());
    for (u32 i = 0; i < 256; ++i)
    {
        EXPECT_EQ(sorted[i], i);
        EXPECT_EQ(p[i], p[i + 256]);
    }
}
}

TEST(PerlinNoise, ReferenceTable)
{
    const PerlinNoise noise;
    ExpectValidTable(noise);
    const auto& p = noise.GetPermutation();
    EXPECT_EQ(p[0], 151u);
    EXPECT_EQ(p[1], 160u);
    EXPECT_EQ(p[2], 137u);
    EXPECT_EQ(p[255], 180u);
    // The reference implementation's published sample: noise(3.14, 42, 7) = 0.136919958784.
    EXPECT_NEAR(noise.Noise(3.14, 42.0, 7.0), (0.13691995878400012 + 1.0) * 0.5, 1e-12);
    EXPECT_NEAR(noise.Noise(-1.25, 2.75, -3.5), 0.7002513408660889, 1e-12);
    EXPECT_NEAR(noise.Noise(0.5, 0.5, 0.5), 0.375, 1e-12);
}

TEST(PerlinNoise, IntegerCoordinatesGiveOneHalf)
{
    const PerlinNoise reference;
    const PerlinNoise seeded(77u);
    const double points[][3] = {{0, 0, 0}, {1, 2, 3}, {-5, 17, -300}, {255, 256, 257}, {0, 29974663.0, 543754370.0}};
    for (const auto& pt : points)
    {
        EXPECT_EQ(reference.Noise(pt[0], pt[1], pt[2]), 0.5);
        EXPECT_EQ(seeded.Noise(pt[0], pt[1], pt[2]), 0.5);
    }
}

TEST(PerlinNoise, StaysInZeroOneAndHandlesHugeCoordinates)
{
    const PerlinNoise noise;
    for (int i = 0; i < 20; ++i)
        for (int j = 0; j < 20; ++j)
        {
            const double v = noise.Noise(i * 0.37 - 3.0, j * 0.53 + 29974663.0, i * j * 0.11 + 543754370.0);
            EXPECT_GE(v, 0.0);
            EXPECT_LE(v, 1.0);
        }
    // Past the range of int the lattice still wraps at 256.
    EXPECT_NEAR(noise.Noise(4294967296.0 + 3.14, 42.0, 7.0), noise.Noise(3.14, 42.0, 7.0), 1e-6);
    const double huge = noise.Noise(1e300, -1e300, 0.5);
    EXPECT_GE(huge, 0.0);
    EXPECT_LE(huge, 1.0);
}

TEST(PerlinNoise, SeededShuffleIsPortable)
{
    const PerlinNoise a(12345u), b(12345u), other(1u);
    EXPECT_EQ(a.GetPermutation(), b.GetPermutation());
    EXPECT_NE(a.GetPermutation(), other.GetPermutation());
    ExpectValidTable(a);
    const u32 expected[] = {92, 65, 117, 42, 124, 223, 102, 197, 86, 173, 96, 111};
    for (u32 i = 0; i < 12; ++i)
        EXPECT_EQ(a.GetPermutation()[i], expected[i]) << i;
    const u32 expectedOne[] = {227, 104, 23, 127, 24, 77, 47, 123, 147, 79, 48, 204};
    for (u32 i = 0; i < 12; ++i)
        EXPECT_EQ(other.GetPermutation()[i], expectedOne[i]) << i;
    u64 checksum = 0;
    for (u32 i = 0; i < 256; ++i)
        checksum += u64(a.GetPermutation()[i]) * (i + 1);
    EXPECT_EQ(checksum, 4119174u);
}

TEST(Random, IntDrawsMatchTheFixedScheme)
{
    // std::mt19937's default seed; its first outputs are 3499211612, 581869302, ...
    const struct
    {
        int min, max;
        std::vector<int> values;
    } cases[] = {
        {0, 9, {8, 1, 9, 8, 1, 9, 9, 2}},
        {-100, 100, {63, -73, 82, 67, -75, 94}},
        {INT_MIN, INT_MAX, {1351727964, -1565614346, 1742863086}},  // raw output shifted by INT_MIN
        {0, INT_MAX, {1749605806, 290934651, 1945173367}},
        {9, 0, {8, 1, 9, 8, 1, 9, 9, 2}},  // reversed bounds draw over the same range
    };
    for (const auto& c : cases)
    {
        std::mt19937 engine;
        for (int expected : c.values)
            EXPECT_EQ(GetRandomInt(engine, c.min, c.max), expected) << c.min << ".." << c.max;
    }
    std::mt19937 engine;
    for (int i = 0; i < 100; ++i)
        EXPECT_EQ(GetRandomInt(engine, 5, 5), 5);
}

TEST(Random, FloatDrawsUseTwoOutputs)
{
    std::mt19937 engine;
    EXPECT_FLOAT_EQ(GetRandomFloat(engine, 0.0f, 1.0f), 0.1354770064353943f);
    EXPECT_FLOAT_EQ(GetRandomFloat(engine, 0.0f, 1.0f), 0.8350085616111755f);
    std::mt19937 second;
    EXPECT_FLOAT_EQ(GetRandomFloat(second, -5.0f, 3.0f), -3.9161839485168457f);
    EXPECT_FLOAT_EQ(GetRandomFloat(second, -5.0f, 3.0f), 1.6800687313079834f);
}

TEST(Random, ShuffleIndexStaysInBoundAndCoversIt)
{
    std::mt19937 engine(3u);
    bool seen[7] = {};
    for (int i = 0; i < 500; ++i)
    {
        const u32 j = GetRandomShuffleIndex(engine, 7);
        ASSERT_LT(j, 7u);
        seen[j] = true;
    }
    EXPECT_TRUE(std::all_of(std::begin(seen), std::end(seen), [](bool b) { return b; }));
}

TEST(Random, ProcessGeneratorStaysInRange)
{
    int counts[10] = {};
    for (int i = 0; i < 2000; ++i)
    {
        const int v = GetRandomInt(0, 9);
        ASSERT_GE(v, 0);
        ASSERT_LE(v, 9);
        ++counts[v];
        const float f = GetRandomFloat(-2.0f, 4.0f);
        ASSERT_GE(f, -2.0f);
        ASSERT_LE(f, 4.0f);
    }
    for (int c : counts)
        EXPECT_GT(c, 100);  // roughly uniform: 200 expected each
}
