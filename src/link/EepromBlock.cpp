#include "link/EepromBlock.h"
#include "model/HexDigits.h"
#include <algorithm>

namespace Eeprom {
namespace {
int HexByte(const QByteArray& text, qsizetype at)
{
    if (at + 1 >= text.size())
        return -1;
    const int hi = Hex::DigitValue(text[at]);
    const int lo = Hex::DigitValue(text[at + 1]);
    return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

unsigned AddressSum(DWORD address)
{
    return (address >> 24 & 0xFF) + (address >> 16 & 0xFF) + (address >> 8 & 0xFF) + (address & 0xFF);
}

void AppendHex(QByteArray& out, DWORD value, int digits)
{
    for (int i = digits - 1; i >= 0; --i)
        out.append(Hex::kUpperDigits[(value >> (i * 4)) & 0xF]);
}

bool SameStart(const QByteArray& a, const QByteArray& b, qsizetype n)
{
    if (a.size() < n || b.size() < n)
        return false;
    return qstrnicmp(a.constData(), b.constData(), static_cast<size_t>(n)) == 0;
}

struct Region {
    DWORD start, length;
};
constexpr Region kWritable[] = {{0x10, 0x70}, {0x80, 0x80}, {0x100, 0x200}, {0x300, 0xC00}, {0xF00, 0x100}, {0x1000, 0x37000}};
}  // namespace

DWORD NextBlockLength(DWORD address, DWORD remaining)
{
    DWORD length = std::min(remaining, kMaxBlock);
    const DWORD toBoundary = 0x100 - (address & 0xFF);
    return std::min(length, toBoundary);
}

BYTE CheckByte(DWORD address, DWORD count, const BYTE* data)
{
    unsigned sum = AddressSum(address) + (count & 0xFF);
    if (data)
        for (DWORD i = 0; i < count; ++i)
            sum += data[i];
    return static_cast<BYTE>(0x100 - (sum & 0xFF));
}

QByteArray BuildReadCommand(DWORD address, DWORD count)
{
    QByteArray out("^er");
    out.reserve(16);
    AppendHex(out, address, 8);
    AppendHex(out, count, 2);
    AppendHex(out, CheckByte(address, count), 2);
    out.append(';');
    return out;
}

QByteArray BuildWriteCommand(DWORD address, DWORD count, const BYTE* data)
{
    QByteArray out("^ew");
    out.reserve(16 + 2 * static_cast<qsizetype>(count));
    AppendHex(out, address, 8);
    AppendHex(out, count, 2);
    for (DWORD i = 0; i < count; ++i)
        AppendHex(out, data[i], 2);
    AppendHex(out, CheckByte(address, count, data), 2);
    out.append(';');
    return out;
}

int ParseReadAnswer(const QByteArray& command, const QByteArray& answer, DWORD maxCount, BYTE* data)
{
    if (command.size() != 16 || answer.size() < 16)
        return -1;
    if (!SameStart(command, answer, 13))
        return -1;
    unsigned sum = 0;
    for (int i = 0; i < 5; ++i) {
        const int b = HexByte(answer, 3 + 2 * i);
        if (b < 0)
            return -1;
        sum += static_cast<unsigned>(b);
    }
    const int length = HexByte(answer, 11);
    if (length < 0 || static_cast<DWORD>(length) > kMaxBlock || static_cast<DWORD>(length) > maxCount)
        return -1;
    if (answer.size() != 16 + 2 * length)
        return -1;
    BYTE bytes[kMaxBlock];
    for (int i = 0; i < length; ++i) {
        const int b = HexByte(answer, 13 + 2 * i);
        if (b < 0)
            return -1;
        bytes[i] = static_cast<BYTE>(b);
        sum += static_cast<unsigned>(b);
    }
    const int check = HexByte(answer, 13 + 2 * length);
    if (check < 0 || ((sum + static_cast<unsigned>(check)) & 0xFF) != 0)
        return -1;
    std::copy(bytes, bytes + length, data);
    return length;
}

bool IsWriteAcknowledged(const QByteArray& command, const QByteArray& answer)
{
    if (answer.size() != 16 || !SameStart(command, answer, 13))
        return false;
    unsigned sum = 0;
    for (int i = 0; i < 6; ++i) {
        const int b = HexByte(answer, 3 + 2 * i);
        if (b < 0)
            return false;
        sum += static_cast<unsigned>(b);
    }
    return (sum & 0xFF) == 0;
}

QByteArray AnswerStart(const QByteArray& received)
{
    const qsizetype caret = received.lastIndexOf('^');
    return caret < 0 ? QByteArray() : received.mid(caret);
}

bool IsAnswerToAnotherCommand(const QByteArray& command, const QByteArray& answer)
{
    if (answer.size() < 16 || SameStart(command, answer, 13))
        return false;
    // Checked against itself: its own name, address and count make the command it answers.
    const QByteArray own = answer.left(13) + "00;";
    BYTE data[kMaxBlock];
    if (SameStart(answer, "^ER", 3))
        return ParseReadAnswer(own, answer, kMaxBlock, data) >= 0;
    return SameStart(answer, "^EW", 3) && IsWriteAcknowledged(own, answer);
}

bool Echoes(const QByteArray& command, const QByteArray& answer)
{
    return SameStart(command, answer, 13);
}

bool IsWritableBlock(DWORD address, DWORD count)
{
    for (const Region& r : kWritable)
        if (address >= r.start && address + count <= r.start + r.length)
            return true;
    return false;
}
}  // namespace Eeprom
