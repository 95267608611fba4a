#pragma once
#include "sim/SimDevice.h"
#include <QString>

// Reads "key=value" pairs separated by commas into the options: baud, serial, revision,
// bootloader (0/1), pace (0/1), delay (ms), seed. Answers false and names the bad part in
// `error` when a pair cannot be read.
bool ParseSimOptions(const QString& text, CSimDevice::Options* options, QString* error = nullptr);
