#pragma once
// Result codes of the texture loaders, with the values Windows gives them so that logs and tests
// read the same everywhere.
#include "core/Types.h"

namespace Qel
{
using HRESULT = i32;

inline constexpr HRESULT MakeHResult(u32 aValue) { return static_cast<HRESULT>(aValue); }
inline constexpr HRESULT HResultFromWin32(u32 aError) { return aError == 0 ? 0 : MakeHResult(0x80070000u | (aError & 0xFFFFu)); }

inline constexpr HRESULT S_OK = 0;
inline constexpr HRESULT E_FAIL = MakeHResult(0x80004005u);
inline constexpr HRESULT E_INVALIDARG = MakeHResult(0x80070057u);
inline constexpr HRESULT E_OUTOFMEMORY = MakeHResult(0x8007000Eu);
inline constexpr HRESULT E_NOINTERFACE = MakeHResult(0x80004002u);
inline constexpr HRESULT E_POINTER = MakeHResult(0x80004003u);

inline constexpr u32 ERROR_FILE_NOT_FOUND = 2;
inline constexpr u32 ERROR_PATH_NOT_FOUND = 3;
inline constexpr u32 ERROR_ACCESS_DENIED = 5;
inline constexpr u32 ERROR_INVALID_DATA = 13;
inline constexpr u32 ERROR_READ_FAULT = 30;
inline constexpr u32 ERROR_HANDLE_EOF = 38;
inline constexpr u32 ERROR_NOT_SUPPORTED = 50;
inline constexpr u32 ERROR_ARITHMETIC_OVERFLOW = 534;

inline constexpr bool Succeeded(HRESULT aResult) { return aResult >= 0; }
inline constexpr bool Failed(HRESULT aResult) { return aResult < 0; }

// Short text for messages ("not supported (0x80070032)").
const char* DescribeHResult(HRESULT aResult);
}
