#pragma once
#include "stringRegistry/Fnv1a.h"

#include <compare>
#include <concepts>
#include <cstddef>
#include <cstring>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace Qel
{
class StringRegistry;

// Text of static storage, checked at compile time: the registry may keep this pointer
// instead of copying, so a stack buffer or a std::string's c_str() must never get here.
// Anything built at run time goes through the std::string constructor of StringId.
class StringLiteral
{
public:
    template <std::size_t N>
    consteval StringLiteral(const char (&aText)[N]) : myText(aText), myLength(0)
    {
        while (myLength < N && aText[myLength] != '\0')
        {
            ++myLength;
        }
        if (myLength == N)
        {
            throw "string literal must be NUL-terminated";
        }
    }

    constexpr const char* GetText() const { return myText; }
    constexpr std::size_t GetLength() const { return myLength; }

private:
    const char* myText;
    std::size_t myLength;
};

// Interned, immutable text: one pointer into the registry, null for the empty string.
// Interning gives each distinct text one pointer, so equality is pointer equality.
class StringId
{
public:
    constexpr StringId() = default;

    // Literals: StringId("TileWidth"). The literal's own address may become the id.
    StringId(StringLiteral aLiteral);

    // Run-time text is copied into the registry. Only an exact std::string binds here so that
    // a literal never becomes an ambiguous call and a raw const char* does not compile.
    template <class T>
        requires std::same_as<T, std::string>
    explicit StringId(const T& aString) : StringId(FromString(aString))
    {
    }

    const char* GetString() const { return myText ? myText : ""; }
    std::string_view GetView() const { return myText ? std::string_view(myText) : std::string_view(); }
    bool IsEmpty() const { return myText == nullptr; }

    friend bool operator==(StringId aLeft, StringId aRight) { return aLeft.myText == aRight.myText; }

    // Sorting is by text, byte by byte, with the empty id as "".
    friend std::strong_ordering operator<=>(StringId aLeft, StringId aRight)
    {
        if (aLeft.myText == aRight.myText)
        {
            return std::strong_ordering::equal;
        }
        const int order = std::strcmp(aLeft.GetString(), aRight.GetString());
        return order < 0 ? std::strong_ordering::less
             : order > 0 ? std::strong_ordering::greater
                         : std::strong_ordering::equal;
    }

    friend std::ostream& operator<<(std::ostream& aStream, StringId aId);

private:
    friend class StringRegistry;
    struct RegistryTag
    {
    };
    constexpr StringId(const char* aText, RegistryTag) : myText(aText) {}
    static StringId FromString(const std::string& aString);

    const char* myText = nullptr;
};
}

template <>
struct std::hash<Qel::StringId>
{
    std::size_t operator()(Qel::StringId aId) const noexcept
    {
        return static_cast<std::size_t>(Qel::Fnv1a64(aId.GetView()));
    }
};
