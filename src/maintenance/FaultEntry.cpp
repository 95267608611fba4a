#include "maintenance/FaultEntry.h"
#include "model/FaultNames.h"
#include <algorithm>

namespace FaultLog {
QString FaultName(BYTE code)
{
    return FaultCodeName(code);
}
} // namespace FaultLog

namespace {
// The supply faults carry the voltage measured, in millivolts, at offset 22.
bool IsSupplyFault(BYTE code)
{
    return code >= 0x80 && code <= 0x84;
}

// An SWR in hundredths as the amplifier's display shows it: the second digit is cut, not
// rounded (256 is 2.5).
QString Swr(unsigned hundredths)
{
    return QString::asprintf("%u.%u", hundredths / 100, hundredths / 10 % 10);
}
} // namespace

WORD CFaultEntry::Word(int offset) const
{
    return static_cast<WORD>(m_bytes[offset] | m_bytes[offset + 1] << 8);
}

DWORD CFaultEntry::Long(int offset) const
{
    return static_cast<DWORD>(Word(offset)) | static_cast<DWORD>(Word(offset + 2)) << 16;
}

QString CFaultEntry::TimeStamp() const
{
    return QString::asprintf(
        "%02X-%02X-%02XT%02X:%02X:%02X", m_bytes[2], m_bytes[3], m_bytes[4], m_bytes[5], m_bytes[6], m_bytes[7]);
}

QString CFaultEntry::NameField() const
{
    return QString::asprintf("%02X - ", Code()) + FaultLog::FaultName(Code());
}

QString CFaultEntry::Detail() const
{
    const BYTE code = Code();
    QString out;
    if (code == 0x00) {
        const unsigned version = Word(20);
        return QString::asprintf(
            " %u times firmware version %02u.%02u", unsigned(Word(22)), version / 100, version % 100);
    }
    if (code == 0x10) {
        const std::pair<const char*, int> kParts[]
            = {{"reset addr", 20}, {"exception cause", 12}, {"BadVAddr", 8}, {"exception addr", 16}};
        for (const auto& [label, offset] : kParts)
            if (Long(offset) != 0)
                out += QString::asprintf(" %s %X", label, unsigned(Long(offset)));
        return out;
    }
    if (Word(8))
        out += QString::asprintf(" freq %u", unsigned(Word(8)));
    if (Word(10))
        out += QString::asprintf(" inp %uW", unsigned(Word(10)));
    if (Word(12))
        out += QString::asprintf(" fwd %uW", unsigned(Word(12)));
    if (Word(14))
        out += QString::asprintf(" refl %uW", unsigned(Word(14)));
    if (Word(16))
        out += QStringLiteral(" swr ") + Swr(Word(16));
    if (m_bytes[18])
        out += QString::asprintf(" PA %uA", unsigned(m_bytes[18]));
    if (m_bytes[19])
        out += QString::asprintf(" %uC", unsigned(m_bytes[19]));
    if (Word(20))
        out += QString::asprintf(" adc %u", unsigned(Word(20)));
    const unsigned value = Word(22);
    if (code == 0x61 || code == 0xF0)
        out += QString::asprintf(" power ratio %u", value);
    else if (IsSupplyFault(code)) {
        if (value)
            out += QString::asprintf(" millivolts %u", value);
    } else if (code == 0xB0)
        out += QString::asprintf(" pwr dissipated %uW", value);
    else if (code == 0xC1) {
        if (value)
            out += QStringLiteral(" swr ") + Swr(value);
    } else if (value)
        out += QString::asprintf(" var %u", value);
    return out;
}

QString CFaultEntry::Line(unsigned slot) const
{
    return QString::asprintf("%3u ", slot) + TimeStamp() + ' ' + NameField() + ' ' + Detail() + QStringLiteral("\r\n");
}

std::vector<CFaultEntry::Field> CFaultEntry::Fields() const
{
    const BYTE code = Code();
    if (code == 0x00)
        return {{"count", double(Word(22))}, {"firmwareRevision", double(Word(20))}};
    if (code == 0x10)
        return {{"resetAddress", double(Long(20))}, {"exceptionCause", double(Long(12))}, {"badVAddr", double(Long(8))},
            {"exceptionAddress", double(Long(16))}};
    std::vector<Field> fields = {
        {"frequency", double(Word(8))},
        {"inputPowerW", double(Word(10))},
        {"forwardPowerW", double(Word(12))},
        {"reflectedPowerW", double(Word(14))},
        {"swrHundredths", double(Word(16))},
        {"paCurrentA", double(m_bytes[18])},
        {"temperatureC", double(m_bytes[19])},
        {"adc", double(Word(20))},
    };
    const char* last = "var";
    if (code == 0x61 || code == 0xF0)
        last = "powerRatio";
    else if (IsSupplyFault(code))
        last = "millivolts";
    else if (code == 0xB0)
        last = "powerDissipatedW";
    else if (code == 0xC1)
        last = "bypassSwrHundredths";
    fields.push_back({QString::fromLatin1(last), double(Word(22))});
    return fields;
}

CFaultEntry DecodeFaultEntry(const BYTE* bytes)
{
    CFaultEntry entry;
    std::copy(bytes, bytes + FaultLog::kEntrySize, entry.m_bytes);
    return entry;
}
