#pragma once
#include "model/Types.h"

// A range of the amplifier's configuration memory: [start, start + length).
struct CMemoryRegion {
    DWORD start;
    DWORD length;
    constexpr DWORD End() const { return start + length; }
};
