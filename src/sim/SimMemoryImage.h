#pragma once
#include "sim/SimDevice.h"
#include <QByteArray>

// The simulated amplifier's configuration memory: what a unit in use for a while holds, and the
// block read and write commands on it.
namespace SimMemory {
// Identity, per-unit calibration, settings, some ATU memories and a fault log with power-on
// entries and the occasional fault. The same seed always gives the same memory.
QByteArray MakeEeprom(const CSimDevice::Options& options);
// The answer to a block read command ("^ER..."); empty when the command is refused (a bad
// check byte, a block past the end), which the amplifier does not answer.
QByteArray ReadAnswer(const QByteArray& eeprom, const QByteArray& text);
// Carries out a block write command ("^EW..."); answers its acknowledgement, or nothing when the
// command is refused (a bad check byte, a block the utility may not write).
QByteArray Write(QByteArray& eeprom, const QByteArray& text);
} // namespace SimMemory
