#include "config/ConfigFileReader.h"
#include "config/BufferedConfigReceiver.h"
#include "config/ConfigFileFormat.h"
#include "config/ConfigLine.h"
#include "config/ConfigStringIds.h"
#include "link/EepromBlock.h"
#include "model/ErrorText.h"
#include "model/FileChecks.h"
#include "model/FileError.h"
#include "model/ModelStringIds.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace {
std::string_view View(const QByteArray& bytes)
{
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QString Latin1(std::string_view line)
{
    return QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
}

bool StartsWith(std::string_view line, const QByteArray& key)
{
    return line.substr(0, static_cast<std::size_t>(key.size())) == View(key);
}

// The value after "key = " of a header line, or nothing.
bool HeaderValue(std::string_view line, const QByteArray& key, QString* value)
{
    if (!StartsWith(line, key))
        return false;
    const std::string_view rest = line.substr(static_cast<std::size_t>(key.size()));
    if (rest.substr(0, 3) != " = ")
        return false;
    *value = QString::fromLatin1(rest.data() + 3, static_cast<qsizetype>(rest.size() - 3));
    return true;
}
} // namespace

CConfigFileReader::CConfigFileReader(WORD amplifierSerial, IConfigReceiver* receiver)
    : m_amplifierSerial(amplifierSerial)
    , m_receiver(receiver)
    , m_serialKey(ConfigFile::SerialNumberKey())
    , m_utilityKey(ConfigFile::UtilityRevisionKey())
    , m_firmwareKey(ConfigFile::FirmwareRevisionKey())
{
    m_line.reserve(ConfigFile::kMaxLineLength + 1);
}

DWORD CConfigFileReader::ClaimAddresses(DWORD address, DWORD count)
{
    const std::uint64_t end = std::uint64_t {address} + count;
    auto refuse = [&](DWORD code) {
        return Reject(code,
            LineErrorLine(m_info.lineCount, code) + QLatin1Char(' ')
                + FormatResource(IDS_CONFIG_RECORD_ADDRESSES, address, static_cast<DWORD>(end - 1), count));
    };
    if (count == 0)
        return 0;
    if (end > Eeprom::kSize)
        return refuse(Result::ConfigRecordOutside);
    if (m_given.empty())
        m_given.assign(Eeprom::kSize / 64, 0);
    for (DWORD a = address; a < end; ++a)
        if (m_given[a / 64] & (std::uint64_t {1} << (a % 64)))
            return refuse(Result::ConfigRecordRepeated);
    for (DWORD a = address; a < end; ++a)
        m_given[a / 64] |= std::uint64_t {1} << (a % 64);
    return 0;
}

DWORD CConfigFileReader::Reject(DWORD code, const QString& message)
{
    m_result = code;
    m_message = message;
    return code;
}

DWORD CConfigFileReader::Feed(const char* data, std::size_t size)
{
    if (m_result != 0)
        return m_result;
    const char* p = data;
    const char* end = data + size;
    while (p < end) {
        const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
        const char* stop = lf ? lf : end;
        // A whole line in the piece, with at most its final carriage return: taken where it is.
        if (lf && m_line.isEmpty() && stop - p <= ConfigFile::kMaxLineLength + 1) {
            const char* last = stop > p && stop[-1] == '\r' ? stop - 1 : stop;
            if (!std::memchr(p, '\r', static_cast<std::size_t>(last - p)) && last - p <= ConfigFile::kMaxLineLength) {
                ++m_info.lineCount;
                if (ProcessLine(std::string_view(p, static_cast<std::size_t>(last - p))) != 0)
                    return m_result;
                p = lf + 1;
                continue;
            }
        }
        // Otherwise the line is gathered without its carriage returns; it never grows past the
        // limit.
        while (p < stop) {
            const char* cr = static_cast<const char*>(std::memchr(p, '\r', static_cast<std::size_t>(stop - p)));
            const char* run = cr ? cr : stop;
            if (m_line.size() + (run - p) > ConfigFile::kMaxLineLength) {
                m_line.append(p, std::min<qsizetype>(run - p, 64));
                return Reject(Result::ConfigCorrupt,
                    FormatResource(
                        IDS_UNABLE_TO_PARSE_LINE, QString::fromLatin1(m_line.left(64)) + QStringLiteral("...")));
            }
            m_line.append(p, run - p);
            p = cr ? cr + 1 : stop;
        }
        if (!lf)
            break;
        p = lf + 1;
        ++m_info.lineCount;
        if (ProcessLine(View(m_line)) != 0)
            return m_result;
        m_line.clear();
    }
    return 0;
}

DWORD CConfigFileReader::ProcessLine(std::string_view line)
{
    const bool crcLine = ConfigLine::IsCrcLine(line);
    if (!crcLine)
        m_crc.Update(line.data(), line.size());

    if (ConfigLine::IsBlockKey(line)) {
        ConfigLine::CBlock block;
        if (!ConfigLine::ParseBlockLine(line, block))
            return Reject(Result::ConfigCorrupt, FormatResource(IDS_UNABLE_TO_PARSE_LINE, Latin1(line)));
        if (ClaimAddresses(block.address, block.count) != 0)
            return m_result;
        if (m_receiver)
            m_receiver->StoreBlock(block.address, block.count, block.data);
        ++m_info.dataLines;
        m_info.dataBytes += block.count;
        m_crcPending = true;
        m_dataSeen = true;
    } else if (line.substr(0, 3) == ConfigFile::kMemKey) {
        WORD address = 0;
        BYTE value = 0;
        if (!m_receiver || !ConfigLine::ParseByteLine(line, address, value))
            return Reject(Result::ConfigCorrupt, FormatResource(IDS_UNABLE_TO_PARSE_LINE, Latin1(line)));
        if (ClaimAddresses(address, 1) != 0)
            return m_result;
        m_receiver->StoreByte(address, value);
        ++m_info.dataLines;
        ++m_info.dataBytes;
        m_crcPending = true;
        m_dataSeen = true;
    } else if (StartsWith(line, m_serialKey)) {
        const std::string_view rest = line.substr(static_cast<std::size_t>(m_serialKey.size()));
        const bool wellFormed = rest.substr(0, 3) == " = ";
        if (wellFormed)
            m_info.serialNumber = static_cast<WORD>(ConfigLine::ParseDecimal(rest.substr(3)));
        if (m_amplifierSerial < kNoSerialNumber) {
            if (!wellFormed)
                return Reject(Result::ConfigCorrupt,
                    FormatResource(IDS_SERIAL_LINE_UNPARSED, QString::fromLatin1(m_serialKey), Latin1(line)));
            const WORD fileSerial = static_cast<WORD>(ConfigLine::ParseDecimal(rest.substr(3)));
            if (m_receiver)
                m_receiver->SetSerialMismatch(fileSerial != m_amplifierSerial);
        } else if (m_receiver) {
            m_receiver->SetSerialMismatch(false);
        }
    } else if (crcLine) {
        DWORD value = 0;
        m_info.crcComputed = m_crc.Register();
        const bool parsed = ConfigLine::ParseCrcLine(line, value);
        if (parsed)
            m_info.crcRead = value;
        if (!parsed || value != m_crc.Register())
            return Reject(Result::ConfigCorrupt, ResourceString(IDS_CONFIG_ALTERED));
        m_crcPending = false;
        m_info.crcSeen = true;
    } else if (line.substr(0, 1) == "*") {
        if (m_info.savedOn.isEmpty())
            m_info.savedOn = QString::fromLatin1(line.data() + 1, static_cast<qsizetype>(line.size() - 1));
    } else if (!HeaderValue(line, m_utilityKey, &m_info.utilityRevision)) {
        HeaderValue(line, m_firmwareKey, &m_info.firmwareRevision);
    }
    return 0;
}

DWORD CConfigFileReader::Finish()
{
    if (m_result != 0)
        return m_result;
    if (!m_dataSeen || m_crcPending)
        return Reject(Result::ConfigIncomplete, ResourceString(IDS_CONFIG_INCOMPLETE));
    return 0;
}

DWORD ReadConfigText(const QString& fileName, QByteArray* text, QString* message)
{
    text->clear();
    const DWORD refused = FileChecks::CheckInputFile(fileName, kMaxConfigFileBytes, message);
    if (refused != 0)
        return refused;
    QFile file(fileName);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        const int savedErrno = errno;
        DWORD code = FileError::FromDevice(file, savedErrno, Result::AccessDenied);
        if (!QFileInfo::exists(fileName))
            code = Result::FileNotFound;
        if (message)
            *message = CallFailedOn(QStringLiteral("CreateFile"), fileName, code);
        return code;
    }
    // One byte more than the bound: a file that grew since it was checked is still refused.
    errno = 0;
    *text = file.read(kMaxConfigFileBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        const DWORD code = FileError::FromDevice(file, errno, Result::ReadFault);
        text->clear();
        if (message)
            *message = CallFailedOn(QStringLiteral("ReadFile"), fileName, code);
        return code;
    }
    if (text->size() > kMaxConfigFileBytes) {
        text->clear();
        if (message)
            *message = FormatResource(IDS_FILE_TOO_LARGE, QDir::toNativeSeparators(fileName),
                QStringLiteral("> %1").arg(kMaxConfigFileBytes), QString::number(kMaxConfigFileBytes));
        return Result::FileTooLarge;
    }
    if (message)
        message->clear();
    return 0;
}

DWORD ParseConfigText(
    const QByteArray& text, WORD amplifierSerial, IConfigReceiver* receiver, QString* message, CConfigFileInfo* info)
{
    CConfigFileReader reader(amplifierSerial, receiver);
    if (reader.Feed(text.constData(), static_cast<std::size_t>(text.size())) == 0)
        reader.Finish();
    if (message)
        *message = reader.Result() != 0 ? reader.Message() : QString();
    if (info)
        *info = reader.Info();
    return reader.Result();
}

DWORD ReadConfigFile(
    const QString& fileName, WORD amplifierSerial, IConfigReceiver* receiver, QString* message, CConfigFileInfo* info)
{
    QByteArray text;
    const DWORD read = ReadConfigText(fileName, &text, message);
    if (read != 0)
        return read;
    return ParseConfigText(text, amplifierSerial, receiver, message, info);
}

DWORD LoadConfigText(
    const QByteArray& text, WORD amplifierSerial, IConfigReceiver& receiver, QString* message, CConfigFileInfo* info)
{
    CBufferedConfigReceiver buffer;
    const DWORD result = ParseConfigText(text, amplifierSerial, &buffer, message, info);
    if (result == 0)
        buffer.Replay(receiver);
    return result;
}

DWORD LoadConfigFile(
    const QString& fileName, WORD amplifierSerial, IConfigReceiver& receiver, QString* message, CConfigFileInfo* info)
{
    QByteArray text;
    const DWORD read = ReadConfigText(fileName, &text, message);
    if (read != 0)
        return read;
    return LoadConfigText(text, amplifierSerial, receiver, message, info);
}
