#include "sim/PortFactory.h"
#include "link/SerialPort.h"
#include "sim/SimOptions.h"
#include "sim/SimPort.h"

std::unique_ptr<ISerialPort> CreatePort(const QString& name, IEventHost& host, IStatusSink* status, IUserPrompt* prompt)
{
    if (name == QLatin1String("SIM")) {
        CSimDevice::Options options;
        options.pace = true;
        ParseSimOptions(qEnvironmentVariable("QRO4000_SIM"), &options);
        return std::make_unique<CSimPort>(host, std::make_shared<CSimDevice>(host, options));
    }
    return std::make_unique<CSerialPort>(host, status, prompt);
}
