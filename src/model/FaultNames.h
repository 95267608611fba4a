#pragma once
#include "model/Types.h"
#include <QString>

// The amplifier's name for a fault code, as its fault log and its display write it: "ON",
// "WDT", "PA CURRENT", "HIGH SWR" (0x91) ...; "EMPTY" for 0xFF and "?" for any other code.
QString FaultCodeName(BYTE code);
