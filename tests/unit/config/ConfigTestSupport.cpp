#include "ConfigTestSupport.h"
#include <QFile>

CPatternSource::CPatternSource(unsigned seed)
    : bytes(0x40000)
{
    for (DWORD a = 0; a < bytes.size(); ++a)
        bytes[a] = static_cast<BYTE>(a * 7 + (a >> 8) * 13 + seed);
}

const BYTE* CPatternSource::GetData(DWORD address, DWORD count) const
{
    return address + count <= bytes.size() ? bytes.data() + address : nullptr;
}

CConfigFileHeader TestHeader(WORD serialNumber)
{
    CConfigFileHeader header;
    header.timeStamp = QDateTime(QDate(2024, 1, 5), QTime(13, 45, 1));
    header.serialNumber = serialNumber;
    header.firmwareRevision = 153;
    return header;
}

QList<QByteArray> SplitLines(const QByteArray& text)
{
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return lines;
}

QByteArray JoinLines(const QList<QByteArray>& lines, const char* terminator)
{
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + terminator;
    return out;
}

QByteArray ReferenceCrcLine(const QList<QByteArray>& lines)
{
    std::uint32_t r = 0xFFFFFFFFu;
    for (const QByteArray& line : lines) {
        if (line.startsWith("CRC32"))
            continue;
        for (char c : line) {
            r ^= static_cast<std::uint8_t>(c);
            for (int bit = 0; bit < 8; ++bit)
                r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
        }
    }
    return QByteArray("CRC32 = 0x") + QByteArray::number(r, 16).toUpper().rightJustified(8, '0');
}

QByteArray WithFreshCrc(QList<QByteArray> lines)
{
    lines.removeLast();
    lines.append(ReferenceCrcLine(lines));
    return JoinLines(lines);
}

CReadOutcome ReadText(const QByteArray& text, WORD amplifierSerial)
{
    CReadOutcome outcome;
    CConfigFileReader reader(amplifierSerial, &outcome.image);
    outcome.result = reader.Feed(text.constData(), static_cast<std::size_t>(text.size()));
    if (outcome.result == 0)
        outcome.result = reader.Finish();
    outcome.message = reader.Message();
    outcome.info = reader.Info();
    return outcome;
}
