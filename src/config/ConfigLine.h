#pragma once
// The records of a configuration file line, parsed from and formatted to plain bytes. Hex
// digits are read in either case and written in upper case; fields are separated by single
// spaces.
#include "config/ConfigFileFormat.h"
#include <string_view>

namespace ConfigLine {
struct CBlock {
    DWORD address = 0;
    DWORD count = 0;
    BYTE data[ConfigFile::kMaxLineBytes] = {};
};

// "MEM4 AAAAAAAA NN <2n hex>", "MEM3 AAAA NN <2n hex>" or "MEM2 HH LL NN <2n hex> [more fields]",
// with n at most 64. False when the line has none of these keys or does not parse.
bool ParseBlockLine(std::string_view line, CBlock& block);
bool IsBlockKey(std::string_view line);
// The old one-byte form: high address byte at 4-5, "." at 7, low byte at 8-9, " = " at 11-13
// and the value at 14-15.
bool ParseByteLine(std::string_view line, WORD& address, BYTE& value);
// "CRC32 = 0x" or " = 0X" and at least 8 hex digits, of which the first 8 count.
bool IsCrcLine(std::string_view line);
bool ParseCrcLine(std::string_view line, DWORD& value);
// A decimal number as the C library's atoi reads it: leading spaces skipped, an optional sign,
// the digits up to the first other character; no digits read as 0. Kept modulo 2^32.
DWORD ParseDecimal(std::string_view text);

// The longest memory line: "MEM4 " + 8 + " " + 2 + " " + 128.
constexpr std::size_t kMaxMemoryLineLength = 5 + 8 + 1 + 2 + 1 + 2 * ConfigFile::kMaxLineBytes;
// Writes "MEM4 %08X %02X <data>" (count at most 64) to `out`, which holds at least
// kMaxMemoryLineLength characters; answers the length written.
std::size_t FormatMemoryLine(char* out, DWORD address, DWORD count, const BYTE* data);
} // namespace ConfigLine
