#pragma once
#include "sim/SimDevice.h"
#include <QDateTime>

// The amplifier's fault log, where the amplifier keeps it: a ring of 1024 entries of 32 bytes
// at 0x38000 and, at 0x0A, the index word naming the slot of the newest entry. A new entry goes
// into the slot after the index (1023 wraps to 0) and the index then names it. The memory
// comes with a log of its own; the options can replace it with a log of a given number of
// entries (past 1024 the oldest are overwritten) or damage the index word.
class CSimFaultLog : public CSimFeature {
public:
    static constexpr DWORD kIndexAddress = 0x0A;
    static constexpr DWORD kBase = 0x38000;
    static constexpr DWORD kSlots = 1024;
    static constexpr DWORD kEntrySize = 32;

    explicit CSimFaultLog(CSimDevice& device);

    WORD Index() const;
    void SetIndex(WORD index);
    // Every slot empty (0xFF); the first entry then goes into slot 0.
    void Clear();
    // Writes an entry after the newest: the code, the time stamp (BCD, two-digit year) and the
    // 16 bytes of details at offset 8. Answers the slot written.
    DWORD Append(BYTE code, const QDateTime& time, const QByteArray& details = QByteArray());
    // Appends `count` entries as a unit in use would write them: mostly power-ons, some faults,
    // minutes apart, ending at `end`.
    void AppendHistory(int count, const QDateTime& end);
    QByteArray Entry(DWORD slot) const;

private:
    CSimDevice& m_device;
};
