#include "sim/PortFactory.h"
#include "link/ports/RealPortFactory.h"
#include "model/StatusSink.h"
#include "sim/SimOptions.h"
#include "sim/SimPort.h"

std::unique_ptr<ISerialPort> CreatePort(const QString& name, IEventHost& host, IStatusSink* status, IUserPrompt* prompt)
{
    if (name == QLatin1String("SIM")) {
        // The demonstration amplifier talks at 115200 bit/s, paced like a real line: the speed
        // search shows, and a whole configuration save takes under a minute.
        CSimDevice::Options options;
        options.speed = 115200;
        options.pace = true;
        // Nothing reads its wire logs but the command tester's checks: polled for days, it
        // keeps only their last few thousand commands.
        options.maxLogBytes = 64 * 1024;
        CSimDevice::Faults faults;
        QString error;
        if (!ParseSimOptions(qEnvironmentVariable("QRO4000_SIM"), &options, &faults, &error) && status)
            status->OnStatusLine(IStatusSink::Kind::Status, QStringLiteral("QRO4000_SIM: %1").arg(error));
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
    return CreateRealPort(name, host, status, prompt);
}
