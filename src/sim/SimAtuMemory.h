#pragma once
#include "sim/SimDevice.h"

// The antenna tuner's memories: one area of the configuration memory per band and antenna,
// 11 bands x 2 antennas of 0x2800 bytes from 0x1000 (up to the fault log at 0x38000).
// "^emBBA;" erases band BB (00 to 10) of antenna A (1 or 2); "^emABA;" every band of antenna A.
// An erased area reads 0xFF. Nothing is answered; a command for a band or antenna the
// amplifier does not have is ignored.
class CSimAtuMemory : public CSimFeature {
public:
    static constexpr DWORD kBase = 0x1000;
    static constexpr DWORD kAreaSize = 0x2800;
    static constexpr int kBands = 11;

    explicit CSimAtuMemory(CSimDevice& device);

    static DWORD AreaAddress(int band, int antenna) { return kBase + kAreaSize * DWORD(band * 2 + antenna - 1); }
    bool IsErased(int band, int antenna) const;
    int EraseCount() const { return m_eraseCount; }

private:
    void Erase(int band, int antenna);

    CSimDevice& m_device;
    int m_eraseCount = 0;
};
