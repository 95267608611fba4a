#include "link/ports/RealPortFactory.h"
#include "link/ports/Rfc2217Port.h"
#include "link/ports/SerialPort.h"
#include "model/RemotePortName.h"

std::unique_ptr<ISerialPort> CreateRealPort(
    const QString& name, IEventHost& host, IStatusSink* status, IUserPrompt* prompt)
{
    switch (RemoteProtocolOf(name)) {
    case RemoteProtocol::RawTcp:
        return std::make_unique<CSocketPort>(host, status, prompt);
    case RemoteProtocol::Rfc2217:
        return std::make_unique<CRfc2217Port>(host, status, prompt);
    case RemoteProtocol::None:
        break;
    }
    return std::make_unique<CSerialPort>(host, status, prompt);
}
