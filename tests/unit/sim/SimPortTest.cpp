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

TEST(SimPort, ReadTakesAtMostTheCountAskedAndPurgeDiscardsTheRest)
{
    CSimWire wire;
    wire.port->SetNotify(nullptr);
    BYTE buffer[4];
    DWORD n = 99;
    EXPECT_TRUE(wire.port->Read(buffer, sizeof buffer, &n)); // nothing received: at once
    EXPECT_EQ(n, 0u);
    wire.port->SetSpeed(38400);
    wire.port->WriteText(QStringLiteral("^sn;"));
    wire.host.Advance(10);
    ASSERT_TRUE(wire.port->Read(buffer, 3, &n));
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(buffer), static_cast<qsizetype>(n)), QByteArray("^SN"));
    ASSERT_TRUE(wire.port->Read(buffer, 4, &n));
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(buffer), static_cast<qsizetype>(n)), QByteArray("0123"));
    EXPECT_TRUE(wire.port->PurgeReceive());
    EXPECT_TRUE(wire.port->Read(buffer, sizeof buffer, &n));
    EXPECT_EQ(n, 0u);
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

TEST(SimPort, ClosedPortFailsWithInvalidHandleAndReceivesNothing)
{
    CSimWire wire;
    wire.port->SetSpeed(38400);
    wire.port->WriteText(QStringLiteral("^sn;"));
    wire.port->Close();
    wire.host.Advance(50);
    EXPECT_EQ(wire.notifications, 0);
    EXPECT_TRUE(wire.received.isEmpty());
    EXPECT_FALSE(wire.port->IsOpen());
    BYTE buffer[4];
    DWORD n = 0;
    EXPECT_FALSE(wire.port->Read(buffer, 4, &n));
    EXPECT_EQ(wire.port->LastError(), Result::InvalidHandle);
    EXPECT_FALSE(wire.port->WriteText(QStringLiteral(";")));
    EXPECT_FALSE(wire.port->PurgeReceive());
    EXPECT_FALSE(wire.port->SetSpeed(38400));
    EXPECT_EQ(wire.port->LastError(), Result::InvalidHandle);
    wire.port->Close(); // harmless
}

TEST(SimPort, DestroyedWithAnswersInFlight)
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
}

TEST(SimPort, DeviceDestroyedWithTimersPending)
{
    CVirtualEventHost host;
    {
        auto device = std::make_shared<CSimDevice>(host, CSimWire::Defaults());
        CSimPort port(host, device);
        port.Open(QStringLiteral("SIM"), true);
        port.SetSpeed(38400);
        port.WriteText(QStringLiteral("^rv;"));
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
    port->SetFailureNotify([&]() { ++failures; });
    host.Advance(499);
    EXPECT_TRUE(port->PurgeReceive());
    host.Advance(1);
    EXPECT_EQ(failures, 1);
    EXPECT_FALSE(port->PurgeReceive());
    EXPECT_EQ(port->LastError(), Result::PortLost);
    EXPECT_FALSE(port->IsOpen());
}
