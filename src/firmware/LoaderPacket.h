#pragma once
// The boot loader's firmware packet: 4 address bytes (most significant first), 512 data bytes
// and a checksum byte that makes the sum of all 517 bytes 0 modulo 256.
#include "model/Types.h"
#include <QByteArray>

namespace LoaderPacket {
constexpr DWORD kDataSize = 512;
constexpr DWORD kSize = 4 + kDataSize + 1;
// The address of the packet that ends the download; its data bytes are all 0xFF.
constexpr DWORD kEndAddress = 0x8FFFFFFF;

// Fills packet[0 .. kSize) with the address, the 512 bytes at data and the checksum.
void Build(BYTE* packet, DWORD address, const BYTE* data);
void BuildEnd(BYTE* packet);
// The two's complement of the sum of the bytes.
BYTE Checksum(const BYTE* bytes, DWORD count);
DWORD Address(const BYTE* packet);
} // namespace LoaderPacket
