#include "config/ConfigImage.h"
#include "link/EepromBlock.h"
#include <algorithm>

CConfigImage::CConfigImage()
    : m_bytes(static_cast<qsizetype>(Eeprom::kSize), '\0')
    , m_present(Eeprom::kSize, false)
{
}

void CConfigImage::StoreBlock(DWORD address, DWORD count, const BYTE* data)
{
    for (DWORD i = 0; i < count; ++i) {
        const std::uint64_t a = std::uint64_t(address) + i;
        if (a >= Eeprom::kSize) {
            ++m_outside;
            continue;
        }
        m_bytes[static_cast<qsizetype>(a)] = static_cast<char>(data[i]);
        m_present[a] = true;
    }
}

void CConfigImage::StoreByte(WORD address, BYTE value)
{
    StoreBlock(address, 1, &value);
}

void CConfigImage::Assign(const BYTE* data, DWORD size)
{
    StoreBlock(0, std::min(size, Eeprom::kSize), data);
}

DWORD CConfigImage::PresentCount() const
{
    return static_cast<DWORD>(std::count(m_present.begin(), m_present.end(), true));
}
