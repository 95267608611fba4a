#include "sim/SimFactoryReset.h"

CSimFactoryReset::CSimFactoryReset(CSimDevice& device)
{
    device.SetCommandHandler("ecqvmst", [this, &device](const QByteArray& command) {
        if (command.size() == 9) {
            device.Eeprom().replace(
                kSettingsStart, kSettingsEnd - kSettingsStart, QByteArray(kSettingsEnd - kSettingsStart, char(0xFF)));
            ++m_resetCount;
        }
        return QByteArray();
    });
}
