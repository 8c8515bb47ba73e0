#pragma once
// The process-wide cache of ".qlap" particle-system files, keyed by the path as passed and read
// once. A missing file gives a default record (remembered); a malformed file or a value of the
// wrong type gives the default record and a message naming the file; values out of range are
// clamped with a message. Records never move, so pointers into the cache stay valid. Main thread.
#include "particles/ParticleSystem.h"

#include <nlohmann/json_fwd.hpp>

#include <string_view>

namespace Qel
{
class ContentLog;

namespace ParticleSystemLoader
{
// Never null.
ParticleSystem* Get(StringId aSystemPath);
// Reads one document (its text) into aOut, starting from a key-missing record; false, with the
// cause in the log under aFile, when the text is not a JSON object of the expected shape (aOut is
// then left as it was).
bool Read(std::string_view aText, std::string_view aFile, ParticleSystem& aOut, ContentLog& aLog);
size_t GetCacheSize();
// Drops every record (tests only: pointers handed out become invalid).
void ClearCache();
}
}
