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

// A name no serial device can have: longer than a path may be, or with a part longer than a
// file name may be. Opening it would fail with a misleading cause (a lock file that cannot be
// made reads as a port in use).
bool IsPortNameTooLong(const QString& name);
// The name shortened for a message: its start and its end around "...", whole when short.
QString ShortPortName(const QString& name);
