#include "platform/RawInput.h"

#include "platform/Platform.h"

#include <array>
#include <cstring>

namespace Qel::Platform
{
namespace
{
struct StoredRecord
{
    u64 mySequence = 0;   // 0: never written
    RAWINPUT myRecord{};
};

// Records are addressed by a sequence number; the handle is that number, so a stale handle is
// recognised instead of reading a newer record.
std::array<StoredRecord, RAW_INPUT_HISTORY> ourRecords;
u64 ourNextSequence = 1;

bool ourMouseRegistered = false;
HWND ourMouseTarget = nullptr;

const StoredRecord* FindRecord(HRAWINPUT aHandle)
{
    const u64 sequence = reinterpret_cast<u64>(aHandle);
    if (sequence == 0)
        return nullptr;
    const StoredRecord& stored = ourRecords[sequence % RAW_INPUT_HISTORY];
    return stored.mySequence == sequence ? &stored : nullptr;
}
}

bool RegisterRawInputDevices(const RAWINPUTDEVICE* aDevices, UINT aCount, UINT aSize)
{
    if (!aDevices || aCount == 0 || aSize != sizeof(RAWINPUTDEVICE))
        return false;
    for (UINT i = 0; i < aCount; ++i)
    {
        const RAWINPUTDEVICE& device = aDevices[i];
        if (device.usUsagePage != HID_USAGE_PAGE_GENERIC || device.usUsage != HID_USAGE_GENERIC_MOUSE)
            continue;   // keyboards and other devices come as ordinary messages only
        if (device.dwFlags & RIDEV_REMOVE)
        {
            ourMouseRegistered = false;
            ourMouseTarget = nullptr;
        }
        else
        {
            ourMouseRegistered = true;
            ourMouseTarget = device.hwndTarget;
        }
    }
    return true;
}

bool IsRawMouseRegistered() { return ourMouseRegistered; }

HWND GetRawMouseTarget()
{
    if (!ourMouseRegistered || !IsWindow(ourMouseTarget))
        return nullptr;
    return ourMouseTarget;
}

UINT GetRawInputData(HRAWINPUT aRawInput, UINT aCommand, void* aData, UINT* aSize, UINT aHeaderSize)
{
    constexpr UINT failure = static_cast<UINT>(-1);
    if (!aSize || aHeaderSize != sizeof(RAWINPUTHEADER))
        return failure;
    const StoredRecord* stored = FindRecord(aRawInput);
    if (!stored)
        return failure;

    UINT needed = 0;
    if (aCommand == RID_INPUT)
        needed = stored->myRecord.header.dwSize;
    else if (aCommand == RID_HEADER)
        needed = sizeof(RAWINPUTHEADER);
    else
        return failure;

    if (!aData)
    {
        *aSize = needed;
        return 0;
    }
    if (*aSize < needed)
        return failure;
    std::memcpy(aData, &stored->myRecord, needed);
    return needed;
}

HRAWINPUT StoreRawInput(const RAWINPUT& aRecord)
{
    const u64 sequence = ourNextSequence++;
    StoredRecord& stored = ourRecords[sequence % RAW_INPUT_HISTORY];
    stored.mySequence = sequence;
    stored.myRecord = aRecord;
    // The size always describes what is stored, whatever the caller wrote.
    UINT size = sizeof(RAWINPUTHEADER);
    if (aRecord.header.dwType == RIM_TYPEMOUSE)
        size += sizeof(RAWMOUSE);
    else if (aRecord.header.dwType == RIM_TYPEKEYBOARD)
        size += sizeof(RAWKEYBOARD);
    stored.myRecord.header.dwSize = size;
    return reinterpret_cast<HRAWINPUT>(sequence);
}
}
