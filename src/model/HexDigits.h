#pragma once
// Hexadecimal digits as the amplifier's commands, configuration files and HEX files write them:
// either case when read, upper case when written.
#include <array>
#include <cstdint>

namespace Hex {
// 0xFF marks a character that is not a hexadecimal digit (so two values OR-ed together show
// at once whether either was one).
constexpr std::uint8_t kNotHex = 0xFF;

constexpr std::array<std::uint8_t, 256> MakeDigitTable()
{
    std::array<std::uint8_t, 256> table{};
    for (auto& v : table)
        v = kNotHex;
    for (int c = '0'; c <= '9'; ++c)
        table[c] = static_cast<std::uint8_t>(c - '0');
    for (int c = 'a'; c <= 'f'; ++c)
        table[c] = static_cast<std::uint8_t>(c - 'a' + 10);
    for (int c = 'A'; c <= 'F'; ++c)
        table[c] = static_cast<std::uint8_t>(c - 'A' + 10);
    return table;
}
inline constexpr std::array<std::uint8_t, 256> kDigitValue = MakeDigitTable();
inline constexpr char kUpperDigits[] = "0123456789ABCDEF";

// The digit's value, or -1 when the character is not a hexadecimal digit.
constexpr int DigitValue(char c)
{
    const std::uint8_t v = kDigitValue[static_cast<unsigned char>(c)];
    return v == kNotHex ? -1 : v;
}
}  // namespace Hex
