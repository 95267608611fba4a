#include "sim/PortFactory.h"
#include "link/SerialPort.h"
#include "sim/SimOptions.h"
#include "sim/SimPort.h"

std::unique_ptr<ISerialPort> CreatePort(const QString& name, IEventHost& host, IStatusSink* status, IUserPrompt* prompt)
{
    if (name == QLatin1String("SIM")) {
        CSimDevice::Options options;
        options.pace = true;
        CSimDevice::Faults faults;
        // A text that cannot be read leaves the defaults in force.
        ParseSimOptions(qEnvironmentVariable("QRO4000_SIM"), &options, &faults);
        auto device = std::make_shared<CSimDevice>(host, options);
        device->GetFaults() = faults;
        if (faults.unplugAfterMs) {
            std::weak_ptr<CSimDevice> weak = device;
            host.StartTimer(faults.unplugAfterMs, [weak]() {
                if (auto d = weak.lock())
                    d->Unplug();
            });
        }
        return std::make_unique<CSimPort>(host, device);
    }
    return std::make_unique<CSerialPort>(host, status, prompt);
}
