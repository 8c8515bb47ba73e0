#include "stringRegistry/Guid.h"

#include <gtest/gtest.h>

#include <string>

using Qel::Guid;
using Qel::GuidIndex;
using Qel::ParseGuid;

namespace
{
Guid MustParse(std::string_view aText)
{
    const std::optional<Guid> guid = ParseGuid(aText);
    EXPECT_TRUE(guid.has_value()) << aText;
    return guid.value_or(Guid{});
}
}

TEST(ParseGuid, AcceptsCanonicalTextInAnyCase)
{
    const Guid bytes = MustParse("00112233-4455-6677-8899-aabbccddeeff");
    const Qel::u8 expected[16] = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77,
                                  0x88, 0x99, 0xaa, 0xbb, 0xcc, 0xdd, 0xee, 0xff};
    for (std::size_t i = 0; i < 16; ++i)
    {
        EXPECT_EQ(bytes.myBytes[i], expected[i]) << i;
    }
    EXPECT_EQ(MustParse("00112233-4455-6677-8899-AABBCCDDEEFF"), bytes);
    EXPECT_EQ(MustParse("00112233-4455-6677-8899-AaBbCcDdEeFf"), bytes);
    EXPECT_EQ(MustParse("00000000-0000-0000-0000-000000000000"), Guid{});
}

TEST(ParseGuid, RejectsMalformedText)
{
    const std::string bad[] = {
        "",
        "not-a-guid",
        "00112233-4455-6677-8899-aabbccddeef",   // 35 characters
        "00112233-4455-6677-8899-aabbccddeeff0", // 37 characters
        "{00112233-4455-6677-8899-aabbccddeeff}",
        "00112233445566778899aabbccddeeff",
        "0011223-34455-6677-8899-aabbccddeeff", // hyphen moved
        "00112233-4455-6677-8899_aabbccddeeff",
        "00112233-4455-6677-8899-aabbccddeefg",
        " 0112233-4455-6677-8899-aabbccddeeff",
        "00112233-4455-6677-8899-aabbccddeef ",
        "00112233-+455-6677-8899-aabbccddeeff",
        std::string("00112233-4455-6677-8899-aabbccdd\0eff", 36),
    };
    for (const std::string& text : bad)
    {
        EXPECT_FALSE(ParseGuid(text).has_value()) << '"' << text << '"';
    }
}

TEST(GuidIndex, DenseInOrderOfFirstAppearance)
{
    GuidIndex index;
    const Guid first = MustParse("11111111-2222-3333-4444-555555555555");
    const Guid second = MustParse("aaaaaaaa-bbbb-cccc-dddd-eeeeeeeeeeee");
    EXPECT_EQ(index.GetIndex(first), 0u);
    EXPECT_EQ(index.GetIndex(second), 1u);
    EXPECT_EQ(index.GetIndex(first), 0u);
    EXPECT_EQ(index.GetIndex(second), 1u);
    EXPECT_EQ(index.GetCount(), 2u);
    EXPECT_EQ(index.GetGuid(0), first);
    EXPECT_EQ(index.GetGuid(1), second);
}

TEST(GetGuidIndex, SameGuidAnyCaseAndFailuresAreVisible)
{
    const std::optional<Qel::u32> lower = Qel::GetGuidIndex("0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0");
    const std::optional<Qel::u32> upper = Qel::GetGuidIndex(std::string("0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"));
    ASSERT_TRUE(lower.has_value());
    EXPECT_EQ(upper, lower);
    const std::optional<Qel::u32> other = Qel::GetGuidIndex("0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f1");
    ASSERT_TRUE(other.has_value());
    EXPECT_NE(*other, *lower);

    EXPECT_FALSE(Qel::GetGuidIndex(static_cast<const char*>(nullptr)).has_value());
    EXPECT_FALSE(Qel::GetGuidIndex("not-a-guid").has_value());
    EXPECT_FALSE(Qel::GetGuidIndex("{0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0}").has_value());
}
