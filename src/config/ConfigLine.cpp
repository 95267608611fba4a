#include "config/ConfigLine.h"
#include "model/HexDigits.h"
#include <array>

namespace ConfigLine {
namespace {
using Hex::kUpperDigits;

int HexDigit(char c)
{
    return Hex::DigitValue(c);
}

// Reads exactly `digits` hex digits; false if any is not one.
bool ReadHex(std::string_view text, DWORD& value)
{
    DWORD v = 0;
    for (char c : text) {
        const int d = HexDigit(c);
        if (d < 0)
            return false;
        v = v << 4 | static_cast<DWORD>(d);
    }
    value = v;
    return true;
}

bool ReadData(std::string_view text, DWORD count, BYTE* data)
{
    if (text.size() != 2 * static_cast<std::size_t>(count))
        return false;
    for (DWORD i = 0; i < count; ++i) {
        const int hi = HexDigit(text[2 * i]);
        const int lo = HexDigit(text[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        data[i] = static_cast<BYTE>(hi << 4 | lo);
    }
    return true;
}

// Splits at single spaces into at most `max` fields; the last field takes the rest of the line.
std::size_t Split(std::string_view line, std::string_view* fields, std::size_t max)
{
    std::size_t n = 0;
    while (n + 1 < max) {
        const std::size_t space = line.find(' ');
        if (space == std::string_view::npos)
            break;
        fields[n++] = line.substr(0, space);
        line.remove_prefix(space + 1);
    }
    fields[n++] = line;
    return n;
}

bool StartsWith(std::string_view line, std::string_view key)
{
    return line.substr(0, key.size()) == key;
}

bool ParseCount(std::string_view field, DWORD& count)
{
    return field.size() == 2 && ReadHex(field, count) && count <= ConfigFile::kMaxLineBytes;
}

// "KEY AAAA NN DATA" with the address of `digits` hex digits. Checked by position: the address,
// the count and the data are all hex digits, so a space anywhere else, a missing field or a
// further one makes the line fail.
bool ParseFixed(std::string_view line, std::string_view key, std::size_t digits, CBlock& block)
{
    const std::size_t countAt = key.size() + 1 + digits + 1;
    const std::size_t dataAt = countAt + 3;
    if (line.size() < dataAt || line.substr(0, key.size()) != key || line[key.size()] != ' ' || line[countAt - 1] != ' '
        || line[dataAt - 1] != ' ')
        return false;
    return ReadHex(line.substr(key.size() + 1, digits), block.address)
        && ParseCount(line.substr(countAt, 2), block.count) && ReadData(line.substr(dataAt), block.count, block.data);
}

bool ParseMem4(std::string_view line, CBlock& block)
{
    return ParseFixed(line, ConfigFile::kMem4Key, 8, block);
}

bool ParseMem3(std::string_view line, CBlock& block)
{
    return ParseFixed(line, ConfigFile::kMem3Key, 4, block);
}

bool ParseMem2(std::string_view line, CBlock& block)
{
    std::string_view f[6];
    const std::size_t n = Split(line, f, 6);
    if (n < 5 || f[0] != ConfigFile::kMem2Key)
        return false;
    // Fields after the data (f[5]) are allowed and ignored.
    const std::string_view data = f[4];
    DWORD high = 0, low = 0;
    if (f[1].size() != 2 || !ReadHex(f[1], high) || f[2].size() != 2 || !ReadHex(f[2], low))
        return false;
    block.address = high << 8 | low;
    return ParseCount(f[3], block.count) && ReadData(data, block.count, block.data);
}
} // namespace

bool IsBlockKey(std::string_view line)
{
    return StartsWith(line, ConfigFile::kMem2Key) || StartsWith(line, ConfigFile::kMem3Key)
        || StartsWith(line, ConfigFile::kMem4Key);
}

bool ParseBlockLine(std::string_view line, CBlock& block)
{
    if (StartsWith(line, ConfigFile::kMem4Key))
        return ParseMem4(line, block);
    if (StartsWith(line, ConfigFile::kMem3Key))
        return ParseMem3(line, block);
    if (StartsWith(line, ConfigFile::kMem2Key))
        return ParseMem2(line, block);
    return false;
}

bool ParseByteLine(std::string_view line, WORD& address, BYTE& value)
{
    if (line.size() < 16 || !StartsWith(line, ConfigFile::kMemKey))
        return false;
    DWORD high = 0, low = 0, v = 0;
    if (!ReadHex(line.substr(4, 2), high) || line[7] != '.' || !ReadHex(line.substr(8, 2), low)
        || line.substr(11, 3) != " = " || !ReadHex(line.substr(14, 2), v))
        return false;
    address = static_cast<WORD>(high << 8 | low);
    value = static_cast<BYTE>(v);
    return true;
}

bool IsCrcLine(std::string_view line)
{
    // The key is taken in either case: the line is outside the CRC, so its spelling cannot
    // hide a change, and a file whose CRC line was lower-cased by hand still reads.
    if (line.size() < 5)
        return false;
    for (std::size_t i = 0; i < 5; ++i)
        if ((line[i] & ~0x20) != ConfigFile::kCrcKey[i] && line[i] != ConfigFile::kCrcKey[i])
            return false;
    return true;
}

bool ParseCrcLine(std::string_view line, DWORD& value)
{
    if (!IsCrcLine(line))
        return false;
    const std::string_view rest = line.substr(5);
    if (rest.size() < 5 + 8 || rest.substr(0, 4) != " = 0" || (rest[4] != 'x' && rest[4] != 'X'))
        return false;
    return ReadHex(rest.substr(5, 8), value);
}

DWORD ParseDecimal(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    DWORD v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        v = v * 10 + static_cast<DWORD>(text[i] - '0');
    return negative ? 0u - v : v;
}

std::size_t FormatMemoryLine(char* out, DWORD address, DWORD count, const BYTE* data)
{
    char* p = out;
    for (char c : std::string_view(ConfigFile::kMem4Key))
        *p++ = c;
    *p++ = ' ';
    for (int shift = 28; shift >= 0; shift -= 4)
        *p++ = kUpperDigits[(address >> shift) & 0xF];
    *p++ = ' ';
    *p++ = kUpperDigits[(count >> 4) & 0xF];
    *p++ = kUpperDigits[count & 0xF];
    *p++ = ' ';
    for (DWORD i = 0; i < count; ++i) {
        *p++ = kUpperDigits[data[i] >> 4];
        *p++ = kUpperDigits[data[i] & 0xF];
    }
    return static_cast<std::size_t>(p - out);
}
} // namespace ConfigLine
