#include "firmware/LoaderPacket.h"
#include <cstring>

namespace LoaderPacket {
BYTE Checksum(const BYTE* bytes, DWORD count)
{
    unsigned sum = 0;
    for (DWORD i = 0; i < count; ++i)
        sum += bytes[i];
    return static_cast<BYTE>(0x100 - (sum & 0xFF));
}

void Build(BYTE* packet, DWORD address, const BYTE* data)
{
    packet[0] = static_cast<BYTE>(address >> 24);
    packet[1] = static_cast<BYTE>(address >> 16);
    packet[2] = static_cast<BYTE>(address >> 8);
    packet[3] = static_cast<BYTE>(address);
    std::memcpy(packet + 4, data, kDataSize);
    packet[kSize - 1] = Checksum(packet, kSize - 1);
}

void BuildEnd(BYTE* packet)
{
    BYTE erased[kDataSize];
    std::memset(erased, 0xFF, sizeof erased);
    Build(packet, kEndAddress, erased);
}

DWORD Address(const BYTE* packet)
{
    return static_cast<DWORD>(packet[0]) << 24 | static_cast<DWORD>(packet[1]) << 16
        | static_cast<DWORD>(packet[2]) << 8 | packet[3];
}
} // namespace LoaderPacket
