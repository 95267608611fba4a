#pragma once
#include "sim/SimDevice.h"
#include <QString>
#include <vector>

// Reads "key=value" pairs separated by commas into the options: baud, serial, revision,
// bootloader (0/1), pace (0/1), delay (ms), seed, transmit (on/off/cycle:S) and the rest of
// SimSettings(). Answers false and names the bad part in
// `error` when a pair cannot be read.
bool ParseSimOptions(const QString& text, CSimDevice::Options* options, QString* error = nullptr);

// The same with the fault settings too (see SimSettings); `faults` may be null when the text
// holds none.
bool ParseSimOptions(
    const QString& text, CSimDevice::Options* options, CSimDevice::Faults* faults, QString* error = nullptr);

// Every setting of the simulated amplifier by name: "name=value" in an option text, "--name
// value" on the command line of qro4000-sim. A switch takes no value on the command line and
// 0 or 1 (or nothing, meaning 1) in an option text.
struct SimSetting {
    const char* name;
    const char* value; // what the value is, for the usage text; null for a switch
    const char* help;
    bool fault; // a fault rather than an option
    // How the value is read: a switch (0 or 1), a probability (0 ... 1), a supported line speed,
    // a whole number up to `max`, or the transmit state (on, off, cycle:SECONDS up to `max`);
    // and where it is put.
    enum class Kind { Switch, Probability, Speed, Number, Transmit } kind;
    qulonglong max;
    void (*store)(CSimDevice::Options& options, CSimDevice::Faults& faults, double value);
};
const std::vector<SimSetting>& SimSettings();
const SimSetting* FindSimSetting(const QString& name);
bool ApplySimSetting(const QString& name, const QString& value, CSimDevice::Options* options,
    CSimDevice::Faults* faults, QString* error = nullptr);
