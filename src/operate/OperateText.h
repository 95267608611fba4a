#pragma once
// How the Operate page and the command line show the amplifier's readings.
#include "model/Types.h"
#include <QString>

namespace OperateText {
// SWR in tenths as "1.5"; empty outside 10 to 999, where the amplifier has no reading.
QString Swr(WORD tenths);
// PA voltage in millivolts, rounded to tenths of a volt: 48950 is "49.0".
QString Voltage(DWORD millivolts);
// Frequency in kHz; empty at 0 (nothing measured).
QString Frequency(WORD kilohertz);
// DC input of the PA in watts: (amperes x millivolts + 500) / 1000.
unsigned long long DcPower(WORD amperes, DWORD millivolts);
// Efficiency in percent of the DC input; kNoEfficiency when the DC input is 0,
// kImplausibleEfficiency at 100 or more (no sensible reading).
constexpr int kNoEfficiency = -1;
constexpr int kImplausibleEfficiency = -2;
int Efficiency(WORD forwardWatts, WORD amperes, DWORD millivolts);
} // namespace OperateText
