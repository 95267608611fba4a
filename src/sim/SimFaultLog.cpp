#include "sim/SimFaultLog.h"
#include "sim/SimClock.h"

namespace {
char Bcd(int value)
{
    return static_cast<char>((value / 10) << 4 | (value % 10));
}

void PutWord(QByteArray& bytes, int at, unsigned value)
{
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8 & 0xFF);
}
} // namespace

CSimFaultLog::CSimFaultLog(CSimDevice& device)
    : m_device(device)
{
    const CSimDevice::Options& options = device.GetOptions();
    if (options.faultEntries >= 0) {
        Clear();
        AppendHistory(options.faultEntries, QDateTime::currentDateTimeUtc().addSecs(CSimClock::kInitialDriftSeconds));
    }
    if (options.faultIndex >= 0)
        SetIndex(static_cast<WORD>(options.faultIndex));
}

WORD CSimFaultLog::Index() const
{
    const QByteArray& memory = m_device.Eeprom();
    return static_cast<WORD>(
        static_cast<BYTE>(memory[kIndexAddress]) | static_cast<BYTE>(memory[kIndexAddress + 1]) << 8);
}

void CSimFaultLog::SetIndex(WORD index)
{
    QByteArray& memory = m_device.Eeprom();
    memory[kIndexAddress] = static_cast<char>(index & 0xFF);
    memory[kIndexAddress + 1] = static_cast<char>(index >> 8);
}

void CSimFaultLog::Clear()
{
    m_device.Eeprom().replace(kBase, kSlots * kEntrySize, QByteArray(kSlots * kEntrySize, char(0xFF)));
    SetIndex(kSlots - 1);
}

DWORD CSimFaultLog::Append(BYTE code, const QDateTime& time, const QByteArray& details)
{
    const DWORD slot = (Index() + 1u) % kSlots;
    QByteArray entry(kEntrySize, char(0));
    entry[0] = static_cast<char>(code);
    const QDate d = time.date();
    const QTime t = time.time();
    entry[2] = Bcd(d.year() % 100);
    entry[3] = Bcd(d.month());
    entry[4] = Bcd(d.day());
    entry[5] = Bcd(t.hour());
    entry[6] = Bcd(t.minute());
    entry[7] = Bcd(t.second());
    entry.replace(8, std::min<qsizetype>(details.size(), 16), details.left(16));
    // Bytes 24 to 31 are not used by the amplifier; they stay erased.
    entry.replace(24, 8, QByteArray(8, char(0xFF)));
    m_device.Eeprom().replace(kBase + slot * kEntrySize, kEntrySize, entry);
    SetIndex(static_cast<WORD>(slot));
    return slot;
}

void CSimFaultLog::AppendHistory(int count, const QDateTime& end)
{
    const WORD revision = m_device.GetOptions().revision;
    unsigned powerOns = 0;
    for (int i = 0; i < count; ++i) {
        const QDateTime when = end.addSecs(-37LL * 60 * (count - 1 - i));
        QByteArray details(16, char(0));
        BYTE code = 0x00;
        if (i % 4 == 3) {
            // A high SWR on 20 m: frequency, input, forward and reflected power, SWR, current,
            // temperature, adc and a value.
            code = 0x91;
            PutWord(details, 0, 14200);
            PutWord(details, 2, 45);
            PutWord(details, 4, 1500 + 10 * (i % 50));
            PutWord(details, 6, 240);
            PutWord(details, 8, 256);
            details[10] = 38;
            details[11] = 52;
            PutWord(details, 12, 611);
        } else {
            PutWord(details, 12, revision);
            PutWord(details, 14, ++powerOns);
        }
        Append(code, when, details);
    }
}

QByteArray CSimFaultLog::Entry(DWORD slot) const
{
    return m_device.Eeprom().mid(kBase + (slot % kSlots) * kEntrySize, kEntrySize);
}
