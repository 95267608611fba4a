#include "config/Crc32.h"
#include <array>

namespace {
// Eight tables, so that the loop takes eight bytes per step ("slicing by eight"); table 0 is
// the classic one-byte table. The result is bit for bit that of the one-byte loop.
using Tables = std::array<std::array<DWORD, 256>, 8>;

constexpr Tables MakeTables()
{
    Tables t {};
    for (DWORD i = 0; i < 256; ++i) {
        DWORD r = i;
        for (int bit = 0; bit < 8; ++bit)
            r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
        t[0][i] = r;
    }
    for (DWORD i = 0; i < 256; ++i)
        for (int k = 1; k < 8; ++k)
            t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return t;
}

constexpr Tables kTables = MakeTables();
static_assert(kTables[0][1] == 0x77073096u, "CRC-32 table");
} // namespace

DWORD CCrc32::Update(DWORD value, const void* data, std::size_t size)
{
    const auto* p = static_cast<const BYTE*>(data);
    DWORD r = ~value;
    while (size >= 8) {
        const DWORD lo = r ^ (DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24);
        const DWORD hi = DWORD(p[4]) | DWORD(p[5]) << 8 | DWORD(p[6]) << 16 | DWORD(p[7]) << 24;
        r = kTables[7][lo & 0xFF] ^ kTables[6][(lo >> 8) & 0xFF] ^ kTables[5][(lo >> 16) & 0xFF] ^ kTables[4][lo >> 24]
            ^ kTables[3][hi & 0xFF] ^ kTables[2][(hi >> 8) & 0xFF] ^ kTables[1][(hi >> 16) & 0xFF]
            ^ kTables[0][hi >> 24];
        p += 8;
        size -= 8;
    }
    while (size--)
        r = (r >> 8) ^ kTables[0][(r ^ *p++) & 0xFF];
    return ~r;
}
