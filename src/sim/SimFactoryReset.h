#pragma once
#include "sim/SimDevice.h"

// The reset of the configuration to factory default: "^ecqvmst;" (the fixed confirmation word
// after "^ec") returns the settings (0x100 to 0xFFF) to their erased, default state. The
// identity and per-unit calibration below 0x100, the ATU memories and the fault log are kept.
// Any other word after "^ec" does nothing. Nothing is answered.
class CSimFactoryReset : public CSimFeature {
public:
    static constexpr DWORD kSettingsStart = 0x100;
    static constexpr DWORD kSettingsEnd = 0x1000;

    explicit CSimFactoryReset(CSimDevice& device);
    int ResetCount() const { return m_resetCount; }

private:
    int m_resetCount = 0;
};
