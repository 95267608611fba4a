#pragma once
#include "model/EventHost.h"
#include "model/SerialPortInterface.h"
#include <memory>

class IStatusSink;
class IUserPrompt;

// The port for a name that is not the simulator's: "socket://HOST:PORT" and
// "rfc2217://HOST:PORT" reach a serial device server over TCP; any other name is a real serial
// port.
std::unique_ptr<ISerialPort> CreateRealPort(
    const QString& name, IEventHost& host, IStatusSink* status = nullptr, IUserPrompt* prompt = nullptr);
