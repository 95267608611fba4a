#pragma once
#include "model/EventHost.h"
#include "model/SerialPortInterface.h"
#include "model/ResultCode.h" // the codes a port leaves as LastError()
#include <memory>

class IStatusSink;
class IUserPrompt;

// The port for a name: "SIM" is the built-in simulated amplifier (its options from the
// environment variable QRO4000_SIM, for example "baud=38400,serial=1234,pace=1");
// every other name is a real port (CreateRealPort: a serial device server over TCP, or a
// serial port).
std::unique_ptr<ISerialPort> CreatePort(
    const QString& name, IEventHost& host, IStatusSink* status = nullptr, IUserPrompt* prompt = nullptr);
