#include "stringRegistry/StringRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

using Qel::StringId;
using Qel::StringRegistry;

namespace
{
// Built by another file's static initialiser: the registry must already be usable.
const StringId gStaticId("registry-static-init");

// Distinct texts of an exact length, so each one takes a known number of chunk bytes.
std::string MakeText(std::size_t aLength, std::size_t aSerial)
{
    std::string text = std::to_string(aSerial) + ":";
    text.resize(aLength, 'x');
    return text;
}
}

TEST(Fnv1a64, KnownVectors)
{
    struct Case
    {
        const char* text;
        Qel::u64 hash;
    };
    const Case cases[] = {
        {"", 0xcbf29ce484222325ull},
        {"a", 0xaf63dc4c8601ec8cull},
        {"foobar", 0x85944171f73967e8ull},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Qel::Fnv1a64(c.text), c.hash) << '"' << c.text << '"';
    }
    EXPECT_EQ(std::hash<StringId>{}(StringId()), 0xcbf29ce484222325ull);
    EXPECT_EQ(std::hash<StringId>{}(StringId("foobar")), 0x85944171f73967e8ull);
}

TEST(StringRegistry, CopiedTextIsSharedByLaterLiterals)
{
    StringRegistry registry;
    std::string source = "abc";
    const StringId copied = registry.RegisterString(source);
    source = "zzz"; // the id owns its copy
    const char* literal = "abc";
    const StringId found = registry.FindString("abc");
    EXPECT_EQ(found, copied);
    EXPECT_STREQ(found.GetString(), "abc");
    EXPECT_NE(found.GetString(), literal);
}

TEST(StringRegistry, LiteralFirstBecomesTheId)
{
    static constexpr char text[] = "abc";
    StringRegistry registry;
    const StringId found = registry.FindString(text);
    EXPECT_EQ(found.GetString(), text);
    EXPECT_EQ(registry.RegisterString(std::string("abc")).GetString(), text);
    EXPECT_EQ(registry.GetChunkCount(), 0u);
}

TEST(StringRegistry, DistinctTextsDistinctIds)
{
    StringRegistry registry;
    const StringId a = registry.RegisterString("a");
    const StringId ab = registry.RegisterString("ab");
    EXPECT_NE(a, ab);
    EXPECT_EQ(a, registry.RegisterString(std::string(1, 'a')));
    EXPECT_EQ(registry.GetStringCount(), 2u);
}

TEST(StringRegistry, EmptyTextIsTheNullId)
{
    StringRegistry registry;
    const StringId empties[] = {StringId(), registry.RegisterString(""), registry.FindString(""),
                                *registry.TryRegisterString("")};
    for (const StringId& id : empties)
    {
        EXPECT_TRUE(id.IsEmpty());
        EXPECT_EQ(id, StringId());
        EXPECT_STREQ(id.GetString(), "");
        EXPECT_TRUE(id.GetView().empty());
    }
    EXPECT_EQ(registry.GetStringCount(), 0u);
}

TEST(StringRegistry, TextEndsAtTheFirstNul)
{
    StringRegistry registry;
    const StringId a = registry.RegisterString("a");
    EXPECT_EQ(registry.RegisterString(std::string("a\0b", 3)), a);
    EXPECT_TRUE(registry.RegisterString(std::string("\0b", 2)).IsEmpty());
}

TEST(StringRegistry, SizeLimit)
{
    StringRegistry registry;
    const std::string longest(1023, 'q');
    EXPECT_EQ(registry.RegisterString(longest).GetView(), longest);
    EXPECT_EQ(registry.TryRegisterString(longest)->GetView(), longest);
    EXPECT_FALSE(registry.TryRegisterString(std::string(1024, 'q')).has_value());
    EXPECT_EQ(registry.GetStringCount(), 1u);
}

TEST(StringRegistryDeathTest, OverLongTextStopsTheProgram)
{
    EXPECT_DEATH(
        {
            StringRegistry registry;
            registry.RegisterString(std::string(1024, 'q'));
        },
        "aString\\.size\\(\\) \\+ 1 <= STRING_REGISTRY_SIZE_LIMIT");
}

TEST(StringRegistry, FullChunkStartsANewOneAndOldIdsStay)
{
    StringRegistry registry;
    // 1023 texts of 1023 characters (1024 bytes with the NUL) leave exactly 1024 bytes.
    std::vector<std::string> texts;
    std::vector<StringId> ids;
    for (std::size_t i = 0; i < 1023; ++i)
    {
        texts.push_back(MakeText(1023, i));
        ids.push_back(registry.RegisterString(texts.back()));
    }
    EXPECT_EQ(registry.GetChunkCount(), 1u);

    texts.push_back(MakeText(1023, 1023)); // fits exactly
    ids.push_back(registry.RegisterString(texts.back()));
    EXPECT_EQ(registry.GetChunkCount(), 1u);

    texts.push_back("y"); // no byte left
    ids.push_back(registry.RegisterString(texts.back()));
    EXPECT_EQ(registry.GetChunkCount(), 2u);

    for (std::size_t i = 0; i < ids.size(); ++i)
    {
        ASSERT_EQ(ids[i].GetView(), texts[i]) << i;
        ASSERT_EQ(registry.RegisterString(texts[i]), ids[i]) << i;
    }
    EXPECT_EQ(registry.GetChunkCount(), 2u);
}

TEST(StringId, ProcessWideRegistry)
{
    EXPECT_EQ(StringId(std::string("registry-static-init")), gStaticId);
    const StringId fromString(std::string("registry-global-text"));
    EXPECT_EQ(StringId("registry-global-text"), fromString);
    EXPECT_NE(StringId("registry-global-other"), fromString);
}

TEST(StringId, OrderedByTextWithEmptyFirst)
{
    StringRegistry registry;
    std::vector<StringId> ids;
    for (const char* text : {"b", "ab", "", "a", "B", "a b"})
    {
        ids.push_back(registry.RegisterString(text));
    }
    std::sort(ids.begin(), ids.end());
    std::vector<std::string> sorted;
    for (const StringId& id : ids)
    {
        sorted.emplace_back(id.GetView());
    }
    EXPECT_EQ(sorted, (std::vector<std::string>{"", "B", "a", "a b", "ab", "b"}));
    EXPECT_TRUE(StringId() < ids[1]);
    EXPECT_TRUE(ids[2] == ids[2] && !(ids[2] < ids[2]));
}

TEST(StringId, WorksAsUnorderedKey)
{
    std::unordered_map<StringId, int> counts;
    ++counts[StringId("registry-key")];
    ++counts[StringId(std::string("registry-key"))];
    ++counts[StringId()];
    EXPECT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[StringId("registry-key")], 2);
    std::unordered_set<StringId> set{StringId("registry-key"), StringId()};
    EXPECT_EQ(set.count(StringId(std::string("registry-key"))), 1u);
}
