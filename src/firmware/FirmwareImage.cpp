#include "firmware/FirmwareImage.h"
#include "firmware/FirmwareStringIds.h"
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include <QDir>
#include <algorithm>
#include <cstring>
#include <new>

namespace {
DWORD RoundUp(DWORD value, DWORD multiple)
{
    return multiple == 0 ? value : (value + multiple - 1) / multiple * multiple;
}
} // namespace

void CFirmwareImage::Reset()
{
    m_buffer.reset();
    m_size = 0;
    m_capacity = 0;
    m_blockSize = 64;
    m_fill = 0;
    m_loaded = false;
    m_usedEnd = nullptr;
    m_high = 0xFFFFFFFF;
    m_low = 0;
    m_fileName.clear();
    m_errorLine = 0;
    m_lastError = 0;
    m_errorMessage.clear();
    m_stats = {};
}

bool CFirmwareImage::Load(const QString& fileName, DWORD low, DWORD high, DWORD blockSize, DWORD fill)
{
    Reset();
    if (high < low || blockSize == 0 || (blockSize & (blockSize - 1)) != 0) {
        m_lastError = Result::InvalidArgumentHResult;
        return false;
    }
    m_fileName = fileName;
    m_low = low;
    m_high = high;
    m_blockSize = blockSize;
    m_fill = fill;
    m_size = high - low;
    // Whole words, and whole blocks as well: UsedEnd rounds up to a block, and every block it
    // covers must lie inside the buffer.
    m_capacity = RoundUp(RoundUp(std::max(m_size, blockSize), 4), blockSize);
    m_buffer.reset(new (std::nothrow) BYTE[m_capacity]);
    if (!m_buffer) {
        m_lastError = Result::AsFailureCode(Result::NotEnoughMemory);
        return false;
    }
    const BYTE pattern[4] = {static_cast<BYTE>(fill), static_cast<BYTE>(fill >> 8), static_cast<BYTE>(fill >> 16),
        static_cast<BYTE>(fill >> 24)};
    for (DWORD i = 0; i < m_capacity; i += 4)
        std::memcpy(m_buffer.get() + i, pattern, 4);

    CIntelHexReader reader(low, high, m_buffer.get(), m_buffer.get() + m_size);
    m_loaded = reader.ParseFile(fileName);
    m_stats = reader.Stats();
    m_errorLine = reader.ErrorLine();
    m_lastError = reader.ErrorCode();
    m_errorMessage = reader.ErrorMessage();
    // A file that could not be read leaves no image at all; a parse failure keeps what was read
    // before it (the loader never sends a failed image).
    if (!m_loaded && m_errorLine == 0)
        m_buffer.reset();
    return m_loaded;
}

bool CFirmwareImage::LoadForLoader(const QString& fileName)
{
    if (!Load(fileName, kLoaderLow, kLoaderHigh, kLoaderBlockSize, kLoaderFill))
        return false;
    if (m_stats.bytesInWindow != 0)
        return true;
    m_loaded = false;
    m_lastError = Result::NoFirmwareData;
    m_errorMessage = FormatResource(IDS_FW_NO_FIRMWARE_DATA, QDir::toNativeSeparators(fileName), m_stats.dataBytes,
        kLoaderLow, kLoaderHigh - 1, ProductName());
    return false;
}

QString CFirmwareImage::ErrorText() const
{
    if (!m_errorMessage.isEmpty())
        return m_errorMessage;
    return m_errorLine ? LineErrorLine(m_errorLine, m_lastError) : ErrorCodeLine(m_lastError);
}

const BYTE* CFirmwareImage::UsedEnd()
{
    if (!m_buffer)
        return nullptr;
    if (m_usedEnd)
        return m_usedEnd;
    const BYTE* buffer = m_buffer.get();
    const BYTE pattern[4] = {static_cast<BYTE>(m_fill), static_cast<BYTE>(m_fill >> 8), static_cast<BYTE>(m_fill >> 16),
        static_cast<BYTE>(m_fill >> 24)};
    DWORD word = m_capacity / 4 - 1;
    while (word > 0 && std::memcmp(buffer + word * 4, pattern, 4) == 0)
        --word;
    m_usedEnd = buffer + RoundUp((word + 1) * 4, m_blockSize);
    return m_usedEnd;
}

const BYTE* CFirmwareImage::BlockAt(DWORD address) const
{
    if (!m_buffer || address < m_low || address >= m_high)
        return nullptr;
    return m_buffer.get() + (address - m_low);
}
