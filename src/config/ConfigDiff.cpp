#include "config/ConfigDiff.h"
#include "link/EepromBlock.h"
#include <algorithm>

std::vector<CDifference> CompareImages(
    const CConfigImage& a, const CConfigImage& b, std::span<const CMemoryRegion> regions)
{
    std::vector<CDifference> out;
    for (const CMemoryRegion& r : regions) {
        const DWORD end = std::min<DWORD>(r.End(), Eeprom::kSize);
        bool open = false;
        for (DWORD address = r.start; address < end; ++address) {
            const bool inA = a.IsPresent(address);
            const bool same = inA == b.IsPresent(address)
                && (!inA || a.Bytes()[static_cast<qsizetype>(address)] == b.Bytes()[static_cast<qsizetype>(address)]);
            if (!same && open) {
                ++out.back().length;
            } else if (!same) {
                out.push_back({address, 1});
                open = true;
            } else {
                open = false;
            }
        }
    }
    return out;
}
