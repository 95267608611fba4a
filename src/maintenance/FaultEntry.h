#pragma once
// One entry of the amplifier's fault log: 32 bytes in its serial EEPROM, the first 24 decoded.
// Multi-byte fields are little-endian; the date and time bytes are written as two hexadecimal
// digits each (the amplifier keeps them in BCD).
#include "model/Types.h"
#include <QString>
#include <vector>

namespace FaultLog {
constexpr DWORD kIndexAddress = 0x0A;
constexpr DWORD kEntryBase = 0x38000;
constexpr DWORD kSlots = 1024;
constexpr DWORD kEntrySize = 32;
constexpr BYTE kEmptyCode = 0xFF;

constexpr DWORD EntryAddress(DWORD slot)
{
    return kEntryBase + kEntrySize * slot;
}
// The slot read after `slot`: the one below it, 0 going to 1023.
constexpr DWORD PreviousSlot(DWORD slot)
{
    return slot == 0 ? kSlots - 1 : slot - 1;
}
// "ON", "WDT", "PA CURRENT" ... for the codes the amplifier writes; "EMPTY" for 0xFF and "?"
// for any other code.
QString FaultName(BYTE code);
} // namespace FaultLog

class CFaultEntry {
public:
    // A decoded field by name, for machine-readable output.
    struct Field {
        QString name;
        double value;
    };

    BYTE m_bytes[FaultLog::kEntrySize] = {};

    BYTE Code() const { return m_bytes[0]; }
    bool IsEmpty() const { return Code() == FaultLog::kEmptyCode; }
    WORD Word(int offset) const;
    DWORD Long(int offset) const;

    // "24-03-05T14:07:09".
    QString TimeStamp() const;
    // "91 - HIGH SWR".
    QString NameField() const;
    // The details that the code carries, each part with its leading space; empty when none.
    QString Detail() const;
    // "%3u %s %s %s\r\n": slot, time stamp, name field, detail.
    QString Line(unsigned slot) const;
    // Every field the code carries, zeros included, under a name a script can rely on.
    std::vector<Field> Fields() const;
};

// Decodes the 32 bytes of a slot as read from the amplifier.
CFaultEntry DecodeFaultEntry(const BYTE* bytes);
