#include "firmware/IntelHexReader.h"
#include "model/ErrorText.h"
#include "model/FileChecks.h"
#include "model/HexDigits.h"
#include "model/ResultCode.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <array>
#include <cstring>

namespace {
using Hex::kNotHex;
constexpr const std::array<std::uint8_t, 256>& kHexValue = Hex::kDigitValue;

enum RecordType : BYTE {
    Data = 0,
    EndOfFile = 1,
    ExtendedSegmentAddress = 2,
    StartSegmentAddress = 3,
    ExtendedLinearAddress = 4,
    StartLinearAddress = 5,
};
} // namespace

CIntelHexReader::CIntelHexReader(DWORD low, DWORD high, BYTE* destination, BYTE* destinationEnd)
    : m_low(low)
    , m_high(high)
    , m_destination(destination)
    , m_destinationEnd(destination ? destinationEnd : nullptr)
{
}

// Line ends count lines and are otherwise invisible, even inside a record, so a record may be
// wrapped over several lines and CR LF and LF files read alike.
inline unsigned CIntelHexReader::ReadChar()
{
    while (m_current < m_end) {
        const unsigned char c = *m_current++;
        if (c == '\n') {
            ++m_line;
            m_column = 0;
        } else if (c == '\r') {
            m_column = 0;
        } else {
            ++m_column;
            return c;
        }
    }
    return kEndOfText;
}

inline bool CIntelHexReader::ReadByte(BYTE* value)
{
    const unsigned hi = ReadChar();
    if (hi == kEndOfText || kHexValue[hi] == kNotHex)
        return FailAt(Result::UnexpectedHexCharacter);
    const unsigned lo = ReadChar();
    if (lo == kEndOfText || kHexValue[lo] == kNotHex)
        return FailAt(Result::UnexpectedHexCharacter);
    *value = static_cast<BYTE>((kHexValue[hi] << 4) | kHexValue[lo]);
    m_sum = static_cast<BYTE>(m_sum + *value);
    return true;
}

bool CIntelHexReader::FailAt(DWORD code)
{
    m_errorCode = code;
    m_errorLine = m_line + 1;
    return false;
}

// Most records sit on one line of their own: decode them straight from the text, every digit
// checked at the end in one test. A record with a line end or a bad digit inside, or cut by
// the end of the text, is read again character by character, which places the error.
bool CIntelHexReader::ReadFieldsFast(BYTE* addressHigh, BYTE* addressLow, BYTE* type)
{
    const unsigned char* p = m_current;
    if (m_end - p < 10)
        return false;
    unsigned bad = kHexValue[p[0]] | kHexValue[p[1]];
    const unsigned count = static_cast<unsigned>(kHexValue[p[0]] << 4 | kHexValue[p[1]]);
    if (bad & 0xF0)
        return false;
    const std::ptrdiff_t length = 2 * (static_cast<std::ptrdiff_t>(count) + 5);
    if (m_end - p < length)
        return false;
    unsigned sum = 0;
    auto next = [&]() {
        const unsigned hi = kHexValue[p[0]];
        const unsigned lo = kHexValue[p[1]];
        p += 2;
        bad |= hi | lo;
        const unsigned value = ((hi << 4) | lo) & 0xFF;
        sum += value;
        return static_cast<BYTE>(value);
    };
    next(); // the count, decoded above
    *addressHigh = next();
    *addressLow = next();
    *type = next();
    for (unsigned i = 0; i < count; ++i)
        m_data[i] = next();
    next(); // the checksum
    if (bad & 0xF0)
        return false;
    m_count = static_cast<BYTE>(count);
    m_sum = static_cast<BYTE>(sum);
    m_current = p;
    m_column += static_cast<DWORD>(length);
    return true;
}

bool CIntelHexReader::ReadFields(BYTE* addressHigh, BYTE* addressLow, BYTE* type)
{
    if (ReadFieldsFast(addressHigh, addressLow, type))
        return true;
    m_sum = 0;
    BYTE checksum = 0;
    if (!ReadByte(&m_count) || !ReadByte(addressHigh) || !ReadByte(addressLow) || !ReadByte(type))
        return false;
    for (unsigned i = 0; i < m_count; ++i)
        if (!ReadByte(&m_data[i]))
            return false;
    return ReadByte(&checksum);
}

bool CIntelHexReader::ReadRecord()
{
    BYTE addressHigh = 0, addressLow = 0, type = 0;
    if (!ReadFields(&addressHigh, &addressLow, &type))
        return false;
    if (m_sum != 0)
        return FailAt(Result::HexChecksum);
    ++m_stats.records;

    // The byte count is not checked against the type; an address record too short to hold
    // its two bytes reads the missing ones as 0 rather than as what the last record left.
    const DWORD first = m_count > 0 ? m_data[0] : 0;
    const DWORD second = m_count > 1 ? m_data[1] : 0;
    switch (type) {
    case Data:
        StoreData(m_base + ((static_cast<DWORD>(addressHigh) << 8) | addressLow));
        return true;
    case EndOfFile:
        m_endSeen = true;
        return true;
    case ExtendedSegmentAddress:
        m_base = ((first << 8) | second) << 4;
        return true;
    case ExtendedLinearAddress:
        m_base = ((first << 8) | second) << 16;
        return true;
    case StartSegmentAddress:
    case StartLinearAddress:
        return true;
    default:
        return FailAt(Result::HexBadRecordType);
    }
}

void CIntelHexReader::StoreData(DWORD address)
{
    ++m_stats.dataRecords;
    if (m_count == 0)
        return;
    const DWORD last = address + m_count - 1;
    if (m_stats.dataBytes == 0 || address < m_stats.lowestAddress)
        m_stats.lowestAddress = address;
    if (m_stats.dataBytes == 0 || last > m_stats.highestAddress)
        m_stats.highestAddress = last;
    m_stats.dataBytes += m_count;

    if (address < m_low || address >= m_high)
        return;
    DWORD length = std::min<DWORD>(m_count, m_high - address);
    m_stats.bytesInWindow += length;
    if (!m_destination)
        return;
    BYTE* target = m_destination + (address - m_low);
    if (target >= m_destinationEnd)
        return;
    length = std::min<DWORD>(length, static_cast<DWORD>(m_destinationEnd - target));
    std::memcpy(target, m_data, length);
}

bool CIntelHexReader::Parse(const char* begin, const char* end)
{
    m_begin = m_current = reinterpret_cast<const unsigned char*>(begin);
    m_end = reinterpret_cast<const unsigned char*>(end);
    m_line = 0;
    m_column = 0;
    m_base = 0;
    m_endSeen = false;
    m_errorCode = 0;
    m_errorLine = 0;
    m_stats = Statistics();
    // Editors on Windows put a UTF-8 byte-order mark before the first record; read as text it
    // would move that record's ":" out of column 1 and hide it.
    if (m_end - m_current >= 3 && m_current[0] == 0xEF && m_current[1] == 0xBB && m_current[2] == 0xBF)
        m_current += 3;
    for (;;) {
        // Anything outside a record is commentary, including a ":" that does not open its line.
        unsigned c;
        do {
            c = ReadChar();
            if (c == kEndOfText)
                return FailAt(Result::HexNoEndRecord);
        } while (c != ':' || m_column != 1);
        if (!ReadRecord())
            return false;
        if (m_endSeen)
            return true;
    }
}

bool CIntelHexReader::ParseFile(const QString& fileName)
{
    m_errorLine = 0;
    m_errorMessage.clear();
    const DWORD refused = FileChecks::CheckInputFile(fileName, kMaxFileBytes, &m_errorMessage);
    if (refused != 0) {
        m_errorCode = Result::AsFailureCode(refused);
        return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_errorCode = FileOpenErrorCode(fileName);
        m_errorMessage = CallFailedOn(QStringLiteral("CreateFile"), QDir::toNativeSeparators(fileName), m_errorCode);
        return false;
    }
    const qint64 size = file.size();
    if (size <= 0) {
        // An empty file cannot be mapped; it still has to fail as a text without an end record.
        const char* none = "";
        return Parse(none, none);
    }
    if (uchar* mapped = file.map(0, size)) {
        const char* text = reinterpret_cast<const char*>(mapped);
        const bool ok = Parse(text, text + size);
        file.unmap(mapped);
        return ok;
    }
    // Some files (some network shares) cannot be mapped: read them once instead, bounded as
    // the check above bounds them.
    const QByteArray whole = file.read(kMaxFileBytes);
    if (file.error() != QFileDevice::NoError) {
        m_errorCode = Result::AsFailureCode(Result::ReadFault);
        m_errorMessage = CallFailedOn(QStringLiteral("ReadFile"), QDir::toNativeSeparators(fileName), m_errorCode);
        return false;
    }
    return Parse(whole.constData(), whole.constData() + whole.size());
}

DWORD FileOpenErrorCode(const QString& fileName)
{
    const QFileInfo info(fileName);
    DWORD code = Result::AccessDenied;
    if (fileName.isEmpty())
        code = Result::FileNotFound;
    else if (!info.exists())
        code = info.absoluteDir().exists() ? Result::FileNotFound : Result::PathNotFound;
    return Result::AsFailureCode(code);
}

bool ValidateHexFile(const QString& fileName, DWORD* errorLine, DWORD* errorCode)
{
    CIntelHexReader reader(0, 0);
    const bool ok = reader.ParseFile(fileName);
    if (errorLine)
        *errorLine = ok ? 0 : reader.ErrorLine();
    if (errorCode)
        *errorCode = ok ? 0 : reader.ErrorCode();
    return ok;
}
