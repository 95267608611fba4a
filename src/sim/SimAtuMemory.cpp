#include "sim/SimAtuMemory.h"
#include <cctype>

CSimAtuMemory::CSimAtuMemory(CSimDevice& device)
    : m_device(device)
{
    device.SetCommandHandler("em", [this](const QByteArray& command) {
        // "^em051;"
        if (command.size() == 7 && std::isdigit(static_cast<unsigned char>(command[3]))
            && std::isdigit(static_cast<unsigned char>(command[4]))) {
            const int band = (command[3] - '0') * 10 + (command[4] - '0');
            const int antenna = command[5] - '0';
            if (band < kBands && (antenna == 1 || antenna == 2))
                Erase(band, antenna);
        }
        return QByteArray();
    });
    device.SetCommandHandler("emab", [this](const QByteArray& command) {
        // "^emAB2;"
        const int antenna = command.size() == 7 ? command[5] - '0' : 0;
        if (antenna == 1 || antenna == 2)
            for (int band = 0; band < kBands; ++band)
                Erase(band, antenna);
        return QByteArray();
    });
}

bool CSimAtuMemory::IsErased(int band, int antenna) const
{
    const QByteArray& memory = m_device.Eeprom();
    const DWORD at = AreaAddress(band, antenna);
    for (DWORD i = 0; i < kAreaSize; ++i)
        if (static_cast<BYTE>(memory[at + i]) != 0xFF)
            return false;
    return true;
}

void CSimAtuMemory::Erase(int band, int antenna)
{
    m_device.Eeprom().replace(AreaAddress(band, antenna), kAreaSize, QByteArray(kAreaSize, char(0xFF)));
    ++m_eraseCount;
}
