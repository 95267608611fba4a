#pragma once
#include "config/MemoryRegion.h"
#include <span>

// The region tables of the configuration memory.
namespace ConfigRegions {
// What a save reads and a file holds: the whole memory, 0 to 0x40000.
std::span<const CMemoryRegion> SaveRegions();
// What a restore writes. The per-unit bytes 0x10..0xFF (calibration and identity) are written
// back only into the amplifier the file came from; 0x0..0xF and 0x38000 up never.
std::span<const CMemoryRegion> RestoreRegions(bool serialMismatch);
// Total bytes of a table.
DWORD TotalLength(std::span<const CMemoryRegion> regions);
} // namespace ConfigRegions
