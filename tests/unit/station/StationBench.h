#pragma once
// The simulated amplifier behind the line arbiter, in virtual time; with the station server's
// poll started and its readings current once made, unless `startPoll` is false.
#include "link/VirtualEventHost.h"
#include "sim/SimDevice.h"
#include "sim/SimOptions.h"
#include "sim/SimPort.h"
#include "station/LineArbiter.h"
#include "station/StationPoll.h"
#include <gtest/gtest.h>
#include <memory>

struct Station {
    explicit Station(const QString& simOptions = {}, bool startPoll = true)
    {
        device = std::make_shared<CSimDevice>(host, CSimDevice::Options {});
        EXPECT_TRUE(ParseSimOptions(simOptions, &device->GetOptions()));
        port = std::make_unique<CSimPort>(host, device);
        port->SetNotify([this]() { arbiter.OnPortReadable(); });
        port->Open(QStringLiteral("SIM"), true);
        port->SetSpeed(38400);
        arbiter.AttachPort(port.get(), false);
        if (startPoll) {
            poll.Start();
            EXPECT_TRUE(host.RunUntil([&]() { return poll.Fresh(); }, 10000));
        }
    }
    CVirtualEventHost host;
    std::shared_ptr<CSimDevice> device;
    std::unique_ptr<CSimPort> port;
    CLineArbiter arbiter {host};
    CStationPoll poll {host, arbiter, 300};
};
