#pragma once
#include "core/Types.h"
#include "loaders/LoaderResult.h"

#include <filesystem>
#include <vector>

namespace Qel
{
// Reads a whole file. Fails with the Win32-style error of the open or read, or with E_FAIL when
// the file is larger than aMaxBytes (checked before anything is allocated).
HRESULT ReadWholeFile(const std::filesystem::path& aFile, u64 aMaxBytes, std::vector<u8>& aData);
}
