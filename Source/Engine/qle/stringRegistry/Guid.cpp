#include "stringRegistry/Guid.h"

#include "core/Assert.h"
#include "stringRegistry/Fnv1a.h"

namespace Qel
{
namespace
{
constexpr std::size_t GUID_TEXT_LENGTH = 36;

int HexValue(char aCharacter)
{
    if (aCharacter >= '0' && aCharacter <= '9')
    {
        return aCharacter - '0';
    }
    if (aCharacter >= 'a' && aCharacter <= 'f')
    {
        return aCharacter - 'a' + 10;
    }
    if (aCharacter >= 'A' && aCharacter <= 'F')
    {
        return aCharacter - 'A' + 10;
    }
    return -1;
}

bool IsHyphenPosition(std::size_t aPosition)
{
    return aPosition == 8 || aPosition == 13 || aPosition == 18 || aPosition == 23;
}
}

std::size_t GuidHash::operator()(const Guid& aGuid) const
{
    return static_cast<std::size_t>(
        Fnv1a64({reinterpret_cast<const char*>(aGuid.myBytes.data()), aGuid.myBytes.size()}));
}

std::optional<Guid> ParseGuid(std::string_view aText)
{
    if (aText.size() != GUID_TEXT_LENGTH)
    {
        return std::nullopt;
    }
    Guid guid;
    std::size_t nibble = 0;
    for (std::size_t i = 0; i < GUID_TEXT_LENGTH; ++i)
    {
        if (IsHyphenPosition(i))
        {
            if (aText[i] != '-')
            {
                return std::nullopt;
            }
            continue;
        }
        const int value = HexValue(aText[i]);
        if (value < 0)
        {
            return std::nullopt;
        }
        u8& byte = guid.myBytes[nibble / 2];
        byte = static_cast<u8>(nibble % 2 == 0 ? value << 4 : byte | value);
        ++nibble;
    }
    return guid;
}

u32 GuidIndex::GetIndex(const Guid& aGuid)
{
    const auto [entry, inserted] = myIndices.try_emplace(aGuid, static_cast<u32>(myGuids.size()));
    if (inserted)
    {
        myGuids.push_back(aGuid);
    }
    return entry->second;
}

const Guid& GuidIndex::GetGuid(u32 aIndex) const
{
    QEL_ASSERT(aIndex < myGuids.size());
    return myGuids[aIndex];
}

std::optional<u32> GetGuidIndex(const char* aText)
{
    if (aText == nullptr)
    {
        return std::nullopt;
    }
    return GetGuidIndex(std::string_view(aText));
}

std::optional<u32> GetGuidIndex(std::string_view aText)
{
    static GuidIndex* index = new GuidIndex();
    const std::optional<Guid> guid = ParseGuid(aText);
    if (!guid)
    {
        return std::nullopt;
    }
    return index->GetIndex(*guid);
}
}
