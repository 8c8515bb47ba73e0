#pragma once
#include "core/Types.h"
#include "stringRegistry/StringId.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace Qel
{
// Largest text, NUL included, that the registry copies in.
inline constexpr std::size_t STRING_REGISTRY_SIZE_LIMIT = 1024;

// Interns text for the whole process. Copies are bump-allocated in fixed chunks that are never
// freed or moved, so an id stays valid until the process ends. Main thread only: no lock.
class StringRegistry
{
public:
    static constexpr std::size_t CHUNK_SIZE = 1048576;

    StringRegistry() = default;
    StringRegistry(const StringRegistry&) = delete;
    StringRegistry& operator=(const StringRegistry&) = delete;

    // Programming-error path: text that breaks the size limit stops the program.
    StringId RegisterString(const std::string& aString);

    // Content path: text over the limit is refused with nullopt instead of stopping the
    // program, so a reader can report the file and carry on.
    std::optional<StringId> TryRegisterString(std::string_view aString);

    // Keeps the literal's own pointer when the text is new, copies nothing.
    StringId FindString(StringLiteral aLiteral);

    std::size_t GetStringCount() const { return myStrings.size(); }
    std::size_t GetChunkCount() const { return myChunks.size(); }

private:
    struct Entry
    {
        const char* myText;
        std::size_t myLength;
        u64 myHash;
    };
    struct EntryHash
    {
        std::size_t operator()(const Entry& aEntry) const { return static_cast<std::size_t>(aEntry.myHash); }
    };
    struct EntryEqual
    {
        bool operator()(const Entry& aLeft, const Entry& aRight) const;
    };

    StringId Intern(std::string_view aText);
    const char* CopyIn(std::string_view aText);

    std::unordered_set<Entry, EntryHash, EntryEqual> myStrings;
    std::vector<std::unique_ptr<char[]>> myChunks;
    std::size_t myBytesLeft = 0;
};

// The process-wide registry, built on first use (safe from other files' static initialisers)
// and never destroyed, so ids held by other statics stay readable during exit.
StringRegistry& GetStringRegistry();
}
