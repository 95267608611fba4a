#include "config/ConfigImage.h"
#include "link/EepromBlock.h"
#include <algorithm>
#include <cstring>

CConfigImage::CConfigImage()
    : m_bytes(static_cast<qsizetype>(Eeprom::kSize), '\0')
    , m_present(Eeprom::kSize, 0)
{
}

void CConfigImage::StoreBlock(DWORD address, DWORD count, const BYTE* data)
{
    const std::uint64_t begin = address;
    const std::uint64_t end = begin + count;
    const std::uint64_t inside = std::min<std::uint64_t>(end, Eeprom::kSize);
    if (begin < inside) {
        const auto n = static_cast<std::size_t>(inside - begin);
        std::memcpy(m_bytes.data() + begin, data, n);
        std::fill_n(m_present.begin() + static_cast<std::ptrdiff_t>(begin), n, BYTE(1));
    }
    m_outside += static_cast<DWORD>(end - std::max(begin, inside));
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
    return static_cast<DWORD>(std::count(m_present.begin(), m_present.end(), BYTE(1)));
}
