#pragma once
#include <QString>
#include <vector>

// One serial port the system offers.
struct CPortInfo {
    QString name;         // what the user chooses and the settings store ("COM3", "ttyUSB0")
    QString description;  // adapter description, when the system knows one
    QString stableName;   // Linux: the /dev/serial/by-id name that survives re-plugging
};

// The system's serial ports (not the built-in simulated amplifier). Modem pseudo-ports named
// "winachsf0" are left out, as they are no serial ports.
std::vector<CPortInfo> ListSerialPorts();
