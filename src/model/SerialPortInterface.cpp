#include "model/SerialPortInterface.h"

bool IsSupportedSpeed(DWORD bitsPerSecond)
{
    for (DWORD s : kSupportedSpeeds)
        if (s == bitsPerSecond)
            return true;
    return false;
}

DWORD NextDetectionSpeed(DWORD bitsPerSecond)
{
    if (bitsPerSecond == 4800)
        return 230400;
    if (bitsPerSecond == 57600)
        return 38400;
    return bitsPerSecond / 2;
}
