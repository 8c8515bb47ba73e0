#pragma once
// The ".qlap" document reader: every key with its default for a missing key, then the clamps that
// keep an emitter safe (each with a warning naming the file). No file access and no cache.
#include "particles/ParticleSystem.h"

#include <string_view>

namespace Qel
{
class ContentLog;

// False, with the cause logged under aFile, when the text is not a JSON object of the expected
// shape; aOut is then left as it was.
bool ReadParticleSystem(std::string_view aText, std::string_view aFile, ParticleSystem& aOut, ContentLog& aLog);
}
