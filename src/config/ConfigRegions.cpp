#include "config/ConfigRegions.h"
#include "link/EepromBlock.h"

namespace ConfigRegions {
namespace {
constexpr CMemoryRegion kSave[] = {{0x00000000, Eeprom::kSize}};
constexpr CMemoryRegion kRestoreMatching[]
    = {{0x10, 0x70}, {0x80, 0x80}, {0x100, 0x200}, {0x300, 0xC00}, {0xF00, 0x100}, {0x1000, 0x37000}};
constexpr CMemoryRegion kRestoreDiffering[] = {{0x100, 0x200}, {0x300, 0xC00}, {0xF00, 0x100}, {0x1000, 0x37000}};
} // namespace

std::span<const CMemoryRegion> SaveRegions()
{
    return kSave;
}

std::span<const CMemoryRegion> RestoreRegions(bool serialMismatch)
{
    if (serialMismatch)
        return kRestoreDiffering;
    return kRestoreMatching;
}

DWORD TotalLength(std::span<const CMemoryRegion> regions)
{
    DWORD total = 0;
    for (const CMemoryRegion& r : regions)
        total += r.length;
    return total;
}
} // namespace ConfigRegions
