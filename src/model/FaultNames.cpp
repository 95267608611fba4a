#include "model/FaultNames.h"
#include <utility>

QString FaultCodeName(BYTE code)
{
    static const std::pair<BYTE, const char*> kNames[] = {
        {0x00, "ON"},
        {0x10, "WDT"},
        {0x20, "PA CURRENT"},
        {0x40, "HIGH TEMP"},
        {0x60, "PWR INPUT"},
        {0x61, "LOW GAIN"},
        {0x70, "FREQUENCY"},
        {0x80, "50V SUPPLY"},
        {0x81, "5V SUPPLY"},
        {0x82, "10V SUPPLY"},
        {0x83, "12V SUPPLY"},
        {0x84, "-12 SUPPLY"},
        {0x85, "LPF VMON"},
        {0x90, "PWR REFL"},
        {0x91, "HIGH SWR"},
        {0x92, "NO MATCH"},
        {0xB0, "PWR DISS"},
        {0xC0, "PWR FWD"},
        {0xC1, "PWR SWRB"},
        {0xF0, "HIGH GAIN"},
        {0xFF, "EMPTY"},
    };
    for (const auto& [c, name] : kNames)
        if (c == code)
            return QString::fromLatin1(name);
    return QStringLiteral("?");
}
