#include "config/ConfigFileWriter.h"
#include "config/ConfigFileFormat.h"
#include "config/ConfigLine.h"
#include "config/ConfigRegions.h"
#include "config/Crc32.h"
#include "model/ErrorText.h"
#include "model/ModelBase.h"
#include "model/ResultCode.h"
#include "model/RevisionText.h"
#include "model/SaveWhole.h"
#include "model/StringTable.h"
#include <algorithm>

namespace {
class CLineWriter {
public:
    explicit CLineWriter(QByteArray& out)
        : m_out(out)
    {
    }

    // A line that counts in the CRC.
    void Line(const char* text, std::size_t size)
    {
        m_crc.Update(text, size);
        Raw(text, size);
    }
    void Line(const QString& text)
    {
        // The program writes ASCII only; any other character would be written as one byte.
        const QByteArray bytes = text.toLatin1();
        Line(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    void Raw(const char* text, std::size_t size)
    {
        m_out.append(text, static_cast<qsizetype>(size));
        m_out.append("\r\n", 2);
    }
    const CCrc32& Crc() const { return m_crc; }

private:
    QByteArray& m_out;
    CCrc32 m_crc;
};
} // namespace

QByteArray FormatConfigFile(const CConfigFileHeader& header, const IConfigMemorySource& source)
{
    const QString product = ProductName();
    const QDate d = header.timeStamp.date();
    const QTime t = header.timeStamp.time();
    const auto regions = ConfigRegions::SaveRegions();

    QByteArray out;
    std::size_t lines = 0;
    for (const CMemoryRegion& r : regions)
        lines += (r.length + ConfigFile::kBytesPerLine - 1) / ConfigFile::kBytesPerLine;
    out.reserve(static_cast<qsizetype>(1024 + lines * (ConfigLine::kMaxMemoryLineLength + 2)));
    CLineWriter writer(out);

    writer.Line(
        FormatResource(IDS_CONFIG_SAVED_ON, product, d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()));
    writer.Line(ResourceString(IDS_DO_NOT_EDIT));
    writer.Line(FormatResource(IDS_MAKE_CHANGES_ADVICE, product));
    writer.Line(Fmt("%s = %s", QString::fromLatin1(ConfigFile::UtilityRevisionKey()), TitleBaseText()));
    writer.Line(
        Fmt("%s = %s", QString::fromLatin1(ConfigFile::FirmwareRevisionKey()), RevisionText(header.firmwareRevision)));
    if (header.serialNumber < kNoSerialNumber)
        writer.Line(Fmt("%s = %05u", QString::fromLatin1(ConfigFile::SerialNumberKey()), header.serialNumber));

    char line[ConfigLine::kMaxMemoryLineLength];
    for (const CMemoryRegion& r : regions) {
        for (DWORD offset = 0; offset < r.length; offset += ConfigFile::kBytesPerLine) {
            const DWORD count = std::min(ConfigFile::kBytesPerLine, r.length - offset);
            const DWORD address = r.start + offset;
            writer.Line(line, ConfigLine::FormatMemoryLine(line, address, count, source.GetData(address, count)));
        }
    }
    const QByteArray crc = Fmt("%s = 0x%08X", ConfigFile::kCrcKey, writer.Crc().Register()).toLatin1();
    writer.Raw(crc.constData(), static_cast<std::size_t>(crc.size()));
    return out;
}

DWORD WriteConfigFile(
    const CConfigFileHeader& header, const QString& fileName, const IConfigMemorySource& source, QString* message)
{
    return SaveWhole(fileName, FormatConfigFile(header, source), message);
}

DWORD WriteConfigFile(const CModelBase& model, const QString& fileName, const QDateTime& timeStamp,
    const IConfigMemorySource& source, QString* message)
{
    CConfigFileHeader header;
    header.timeStamp = timeStamp;
    header.serialNumber = model.m_serialNumber.m_value;
    header.firmwareRevision = model.m_firmwareRevision.m_value;
    return WriteConfigFile(header, fileName, source, message);
}
