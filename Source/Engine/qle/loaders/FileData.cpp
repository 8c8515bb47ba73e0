#include "loaders/FileData.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <new>

namespace Qel
{
namespace
{
HRESULT FromErrno(int aError)
{
    switch (aError)
    {
    case ENOENT:
        return HResultFromWin32(ERROR_FILE_NOT_FOUND);
    case ENOTDIR:
        return HResultFromWin32(ERROR_PATH_NOT_FOUND);
    case EACCES:
    case EPERM:
    case EISDIR:
        return HResultFromWin32(ERROR_ACCESS_DENIED);
    default:
        return HResultFromWin32(ERROR_READ_FAULT);
    }
}

struct FileCloser
{
    void operator()(std::FILE* aFile) const { std::fclose(aFile); }
};
}

HRESULT ReadWholeFile(const std::filesystem::path& aFile, u64 aMaxBytes, std::vector<u8>& aData)
{
    aData.clear();
    std::error_code error;
    if (std::filesystem::is_directory(aFile, error))
        return HResultFromWin32(ERROR_ACCESS_DENIED);
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(aFile.c_str(), "rb"));
    if (!file)
        return FromErrno(errno);
    if (std::fseek(file.get(), 0, SEEK_END) != 0)
        return FromErrno(errno);
    const long end = std::ftell(file.get());
    if (end < 0)
        return FromErrno(errno);
    if (static_cast<u64>(end) > aMaxBytes)
        return E_FAIL;
    if (std::fseek(file.get(), 0, SEEK_SET) != 0)
        return FromErrno(errno);
    try
    {
        aData.resize(static_cast<size_t>(end));
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
    if (!aData.empty() && std::fread(aData.data(), 1, aData.size(), file.get()) != aData.size())
    {
        const int error = errno;
        aData.clear();
        // The file shrank under us (an editor saving it): treat as a short read.
        return error != 0 ? FromErrno(error) : HResultFromWin32(ERROR_HANDLE_EOF);
    }
    return S_OK;
}

const char* DescribeHResult(HRESULT aResult)
{
    switch (static_cast<u32>(aResult))
    {
    case 0:
        return "success";
    case 0x80004005u:
        return "not a valid file of this format";
    case 0x80070057u:
        return "invalid arguments or texture description";
    case 0x8007000Eu:
        return "out of memory or image too large";
    case 0x80004002u:
        return "no such interface";
    case 0x80004003u:
        return "null pointer";
    case 0x80070002u:
        return "file not found";
    case 0x80070003u:
        return "path not found";
    case 0x80070005u:
        return "access denied";
    case 0x8007000Du:
        return "inconsistent header";
    case 0x8007001Eu:
        return "read error";
    case 0x80070026u:
        return "file truncated";
    case 0x80070032u:
        return "format not supported";
    case 0x80070216u:
        return "size overflow";
    default:
        return "error";
    }
}
}
