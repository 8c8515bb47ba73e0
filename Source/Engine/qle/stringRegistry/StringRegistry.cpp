#include "stringRegistry/StringRegistry.h"

#include "core/Assert.h"

#include <ostream>

namespace Qel
{
StringId::StringId(StringLiteral aLiteral) : StringId(GetStringRegistry().FindString(aLiteral))
{
}

StringId StringId::FromString(const std::string& aString)
{
    return GetStringRegistry().RegisterString(aString);
}

std::ostream& operator<<(std::ostream& aStream, StringId aId)
{
    return aStream << aId.GetView();
}

bool StringRegistry::EntryEqual::operator()(const Entry& aLeft, const Entry& aRight) const
{
    return aLeft.myHash == aRight.myHash && aLeft.myLength == aRight.myLength
        && std::memcmp(aLeft.myText, aRight.myText, aLeft.myLength) == 0;
}

StringId StringRegistry::RegisterString(const std::string& aString)
{
    QEL_ASSERT(aString.size() + 1 <= STRING_REGISTRY_SIZE_LIMIT);
    return Intern(aString);
}

std::optional<StringId> StringRegistry::TryRegisterString(std::string_view aString)
{
    if (aString.size() + 1 > STRING_REGISTRY_SIZE_LIMIT)
    {
        return std::nullopt;
    }
    return Intern(aString);
}

StringId StringRegistry::FindString(StringLiteral aLiteral)
{
    if (aLiteral.GetLength() == 0)
    {
        return {};
    }
    const Entry probe{aLiteral.GetText(), aLiteral.GetLength(),
                      Fnv1a64({aLiteral.GetText(), aLiteral.GetLength()})};
    // Either the stored pointer, or the literal itself becomes the stored one.
    return StringId(myStrings.insert(probe).first->myText, StringId::RegistryTag{});
}

StringId StringRegistry::Intern(std::string_view aText)
{
    // An id reads as a C string, so its identity is the text up to the first NUL; otherwise
    // "a" and "a\0b" would be two ids that hash, sort and print alike.
    aText = aText.substr(0, aText.find('\0'));
    if (aText.empty())
    {
        return {};
    }
    Entry entry{aText.data(), aText.size(), Fnv1a64(aText)};
    if (auto found = myStrings.find(entry); found != myStrings.end())
    {
        return StringId(found->myText, StringId::RegistryTag{});
    }
    entry.myText = CopyIn(aText);
    myStrings.insert(entry);
    return StringId(entry.myText, StringId::RegistryTag{});
}

const char* StringRegistry::CopyIn(std::string_view aText)
{
    const std::size_t needed = aText.size() + 1;
    if (needed > myBytesLeft)
    {
        // The tail of the previous chunk is abandoned: ids point into it, so it never moves.
        myChunks.push_back(std::make_unique<char[]>(CHUNK_SIZE));
        myBytesLeft = CHUNK_SIZE;
    }
    char* destination = myChunks.back().get() + (CHUNK_SIZE - myBytesLeft);
    std::memcpy(destination, aText.data(), aText.size()); // the zero fill is the NUL
    myBytesLeft -= needed;
    return destination;
}

StringRegistry& GetStringRegistry()
{
    static StringRegistry* registry = new StringRegistry();
    return *registry;
}
}
