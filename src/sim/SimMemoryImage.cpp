#include "sim/SimMemoryImage.h"
#include "link/EepromBlock.h"
#include "model/HexDigits.h"
#include <algorithm>
#include <random>

namespace {
constexpr DWORD kFaultLogBase = 0x38000;
constexpr DWORD kFaultLogSlots = 1024;
constexpr DWORD kFaultEntrySize = 32;
constexpr DWORD kFaultIndexAddress = 0x0A;

// Reads `digits` hex digits at `at`; -1 when any is missing or not a hex digit.
qint64 ReadHex(const QByteArray& text, qsizetype at, int digits)
{
    if (at + digits > text.size())
        return -1;
    qint64 value = 0;
    for (int i = 0; i < digits; ++i) {
        const int d = Hex::DigitValue(text[at + i]);
        if (d < 0)
            return -1;
        value = value * 16 + d;
    }
    return value;
}

BYTE Bcd(unsigned value)
{
    return static_cast<BYTE>((value / 10) << 4 | (value % 10));
}

void PutWord(QByteArray& memory, DWORD at, unsigned value)
{
    memory[at] = static_cast<char>(value & 0xFF);
    memory[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}

void PutLong(QByteArray& memory, DWORD at, DWORD value)
{
    PutWord(memory, at, value & 0xFFFF);
    PutWord(memory, at + 2, value >> 16);
}
} // namespace

namespace SimMemory {
QByteArray MakeEeprom(const CSimDevice::Options& options)
{
    std::mt19937 random(options.seed * 2654435761u + 12345u);
    auto pick
        = [&random](unsigned low, unsigned high) { return std::uniform_int_distribution<unsigned>(low, high)(random); };
    QByteArray memory(Eeprom::kSize, static_cast<char>(0xFF));
    // Identity: a signature, the serial number and the hardware revision; never written by
    // the utility.
    memory[0] = 'Q';
    memory[1] = '4';
    PutWord(memory, 0x02, 3);
    PutWord(memory, 0x04, options.serialNumber);
    PutWord(memory, 0x06, pick(0, 0xFFFF));
    PutWord(memory, 0x08, pick(0, 0xFFFF));
    PutWord(memory, 0x0C, 0x0000);
    PutWord(memory, 0x0E, 0x0000);
    // Per-unit calibration and the settings regions.
    for (DWORD a = 0x10; a < 0x1000; ++a)
        memory[a] = static_cast<char>(pick(0, 255));
    // Unused stretches inside the settings, as a real unit has.
    for (DWORD a = 0xE80; a < 0xF00; ++a)
        memory[a] = static_cast<char>(0xFF);
    // ATU memories: a few hundred stored tunings, the rest erased.
    const DWORD atuEnd = 0x1000 + 0x40 * pick(64, 320);
    for (DWORD a = 0x1000; a < atuEnd; ++a)
        memory[a] = static_cast<char>(pick(0, 255));

    // Fault log: entries in slots 0 .. count-1, the index word naming the newest.
    static const BYTE kFaultCodes[] = {0x20, 0x40, 0x61, 0x80, 0x91, 0x92, 0xB0, 0xC1, 0x10, 0x70, 0xF0};
    const unsigned count = 24 + options.seed % 40;
    unsigned powerOns = 0;
    unsigned month = 1 + pick(0, 5), day = 1, hour = 8, minute = 0;
    for (unsigned slot = 0; slot < count; ++slot) {
        const DWORD at = kFaultLogBase + slot * kFaultEntrySize;
        const bool powerOn = slot == 0 || pick(0, 2) != 0;
        const BYTE code = powerOn ? 0x00 : kFaultCodes[pick(0, sizeof kFaultCodes - 1)];
        minute += pick(1, 50);
        hour += minute / 60;
        minute %= 60;
        day += hour / 24;
        hour %= 24;
        if (day > 28) {
            day = 1;
            month = month % 12 + 1;
        }
        for (DWORD i = 0; i < kFaultEntrySize; ++i)
            memory[at + i] = 0;
        memory[at] = static_cast<char>(code);
        memory[at + 2] = static_cast<char>(Bcd(24));
        memory[at + 3] = static_cast<char>(Bcd(month));
        memory[at + 4] = static_cast<char>(Bcd(day));
        memory[at + 5] = static_cast<char>(Bcd(hour));
        memory[at + 6] = static_cast<char>(Bcd(minute));
        memory[at + 7] = static_cast<char>(Bcd(pick(0, 59)));
        if (code == 0x00) {
            PutWord(memory, at + 20, options.revision);
            PutWord(memory, at + 22, ++powerOns);
        } else if (code == 0x10) {
            PutLong(memory, at + 8, 0x9D000000 + pick(0, 0xFFFF) * 4);
            PutLong(memory, at + 12, pick(0, 31) << 2);
            PutLong(memory, at + 16, 0x9D000000 + pick(0, 0xFFFF) * 4);
            PutLong(memory, at + 20, 0xBFC00000);
        } else {
            static const unsigned kBands[] = {1840, 3650, 7100, 10120, 14200, 18100, 21200, 24940, 28400, 50100};
            PutWord(memory, at + 8, kBands[pick(0, 9)]);
            PutWord(memory, at + 10, pick(20, 90));
            PutWord(memory, at + 12, pick(800, 4200));
            PutWord(memory, at + 14, pick(0, 400));
            PutWord(memory, at + 16, pick(100, 350));
            memory[at + 18] = static_cast<char>(pick(10, 60));
            memory[at + 19] = static_cast<char>(pick(30, 80));
            PutWord(memory, at + 20, pick(0, 1023));
            PutWord(memory, at + 22, pick(0, 5000));
        }
        for (DWORD i = 24; i < kFaultEntrySize; ++i)
            memory[at + i] = static_cast<char>(0xFF);
    }
    PutWord(memory, kFaultIndexAddress, count - 1);
    Q_ASSERT(count <= kFaultLogSlots);
    return memory;
}

QByteArray ReadAnswer(const QByteArray& eeprom, const QByteArray& text)
{
    if (text.size() != 16)
        return {};
    const qint64 address = ReadHex(text, 3, 8);
    const qint64 count = ReadHex(text, 11, 2);
    const qint64 check = ReadHex(text, 13, 2);
    if (address < 0 || count <= 0 || check < 0 || count > static_cast<qint64>(Eeprom::kMaxBlock))
        return {};
    if (Eeprom::CheckByte(static_cast<DWORD>(address), static_cast<DWORD>(count)) != check)
        return {};
    if (address + count > static_cast<qint64>(Eeprom::kSize))
        return {};
    // A read answer has the layout of a write command with the name in upper case: the
    // same address, count, data and check byte over all of them.
    const QByteArray body = Eeprom::BuildWriteCommand(static_cast<DWORD>(address), static_cast<DWORD>(count),
        reinterpret_cast<const BYTE*>(eeprom.constData() + address));
    return QByteArray("^ER") + body.mid(3);
}

QByteArray Write(QByteArray& eeprom, const QByteArray& text)
{
    const qint64 address = ReadHex(text, 3, 8);
    const qint64 count = ReadHex(text, 11, 2);
    if (address < 0 || count <= 0 || count > static_cast<qint64>(Eeprom::kMaxBlock))
        return {};
    if (text.size() != 16 + 2 * count)
        return {};
    BYTE data[Eeprom::kMaxBlock];
    for (qint64 i = 0; i < count; ++i) {
        const qint64 b = ReadHex(text, 13 + 2 * i, 2);
        if (b < 0)
            return {};
        data[i] = static_cast<BYTE>(b);
    }
    const qint64 check = ReadHex(text, 13 + 2 * count, 2);
    const DWORD a = static_cast<DWORD>(address), n = static_cast<DWORD>(count);
    if (check < 0 || Eeprom::CheckByte(a, n, data) != check)
        return {};
    if (!Eeprom::IsWritableBlock(a, n))
        return {};
    std::copy(data, data + n, reinterpret_cast<BYTE*>(eeprom.data()) + a);
    // The acknowledgement is the read command's layout: address, count and their check.
    return QByteArray("^EW") + Eeprom::BuildReadCommand(a, n).mid(3);
}
} // namespace SimMemory
