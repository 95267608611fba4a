// The in-process port "SIM" behaves like a serial port.
#include "SimWire.h"
#include "model/ResultCode.h"
#include "sim/PortFactory.h"
#include <gtest/gtest.h>

TEST(SimPort, SecondOpenOfTheSameDeviceIsDenied)
{
    CSimWire wire;
    CSimPort second(wire.host, wire.device);
    EXPECT_FALSE(second.Open(QStringLiteral("SIM"), true));
    EXPECT_EQ(second.LastError(), Result::AccessDenied);
    EXPECT_FALSE(second.IsOpen());
    // Once the first lets go, the second may have it.
    wire.port->Close();
    EXPECT_TRUE(second.Open(QStringLiteral("SIM"), true));
}

TEST(SimPort, NotificationIsPostedNeverCalledFromWrite)
{
    CSimDevice::Options options = CSimWire::Defaults();
    options.answerDelayMs = 0;
    CSimWire wire(options);
    wire.port->SetSpeed(38400);
    wire.port->WriteText(QStringLiteral(";"));
    EXPECT_EQ(wire.notifications, 0);
    wire.host.RunUntilIdle();
    EXPECT_EQ(wire.notifications, 1);
    EXPECT_EQ(wire.received, QByteArray(";"));
    // Two answers arriving at the same moment, before the receiver runs: one notification.
    EXPECT_EQ(wire.Exchange("^rv;^sn;"), QByteArray("^RV01.53;^SN01234;"));
    EXPECT_EQ(wire.notifications, 2);
}

TEST(SimPort, PortOrDeviceDestroyedWithAnswersInFlight)
{
    CVirtualEventHost host;
    auto device = std::make_shared<CSimDevice>(host, CSimWire::Defaults());
    {
        CSimPort port(host, device);
        port.SetNotify([]() { FAIL() << "notified after destruction"; });
        port.Open(QStringLiteral("SIM"), true);
        port.SetSpeed(38400);
        port.WriteText(QStringLiteral("^rv;"));
    }
    host.RunUntilIdle();
    EXPECT_EQ(device->SentLog(), QByteArray("^RV01.53;"));
    {
        CSimPort port(host, device);
        port.Open(QStringLiteral("SIM"), true);
        port.SetSpeed(38400);
        port.WriteText(QStringLiteral("^rv;"));
        device.reset();
        EXPECT_GT(host.PendingCount(), 0u);
    }
    EXPECT_EQ(host.PendingCount(), 0u);
}

TEST(SimPortFactory, DeviceVanishesAfterTheTimeAsked)
{
    qputenv("QRO4000_SIM", "pace=0,unplug-after=500");
    CVirtualEventHost host;
    std::unique_ptr<ISerialPort> port = CreatePort(QStringLiteral("SIM"), host);
    qunsetenv("QRO4000_SIM");
    ASSERT_TRUE(port->Open(QStringLiteral("SIM"), true));
    int failures = 0;
    port->SetFailureNotify([&]() { ++failures; port->Close(); }); // as the model does
    host.Advance(499);
    EXPECT_TRUE(port->PurgeReceive());
    host.Advance(1);
    EXPECT_EQ(failures, 1);
    EXPECT_FALSE(port->PurgeReceive());
    EXPECT_EQ(port->LastError(), Result::PortLost);
    EXPECT_FALSE(port->IsOpen());
}

// The desktop program's demonstration amplifier is polled for days: its wire log stays short.
TEST(SimPortFactory, DemonstrationAmplifierKeepsAShortWireLog)
{
    CVirtualEventHost host;
    std::unique_ptr<ISerialPort> port = CreatePort(QStringLiteral("SIM"), host);
    ASSERT_TRUE(port->Open(QStringLiteral("SIM"), true));
    const QByteArray chunk = QByteArray(1020, ' ') + "^sn;";
    for (int i = 0; i < 1000; ++i) // a megabyte
        port->WriteBytes(reinterpret_cast<const BYTE*>(chunk.constData()), DWORD(chunk.size()));
    const QByteArray log = static_cast<CSimPort*>(port.get())->Device().ReceivedLog();
    EXPECT_LE(log.size(), 64 * 1024);
    EXPECT_TRUE(log.endsWith(chunk));
}
