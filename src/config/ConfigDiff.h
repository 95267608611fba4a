#pragma once
#include "config/ConfigImage.h"
#include "config/MemoryRegion.h"
#include <span>
#include <vector>

// A range of addresses whose bytes differ.
struct CDifference {
    DWORD start;
    DWORD length;
};

// The ranges, within `regions`, where the two images differ. A byte only one image holds counts
// as different, one that neither holds does not. Adjacent differing bytes form one range;
// ranges never span two regions.
std::vector<CDifference> CompareImages(
    const CConfigImage& a, const CConfigImage& b, std::span<const CMemoryRegion> regions);
