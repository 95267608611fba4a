// The named faults of the simulated amplifier's application side that no machine test
// witnesses on the wire already (a dropped or damaged n-th answer: the settings and loader tests).
#include "SimWire.h"
#include "model/ResultCode.h"
#include <bit>
#include <gtest/gtest.h>

TEST(SimFault, RandomFaultsAndContentFollowTheSeed)
{
    auto pattern = [](std::uint32_t seed) {
        CSimDevice::Options options = CSimWire::Defaults();
        options.seed = seed;
        CSimWire wire(options);
        wire.device->GetFaults().dropAnswerProbability = 0.3;
        QByteArray answered;
        for (int i = 0; i < 200; ++i)
            answered.append(wire.Exchange(";").isEmpty() ? '0' : '1');
        return answered + wire.device->Eeprom();
    };
    const QByteArray five = pattern(5);
    EXPECT_EQ(five, pattern(5));
    EXPECT_NE(five.left(200), pattern(6).left(200));
    EXPECT_NE(five.mid(200), pattern(6).mid(200));
    EXPECT_GT(five.left(200).count('1'), 100);
    EXPECT_LT(five.left(200).count('1'), 180);
}

TEST(SimFault, CorruptBytesAtRandom)
{
    CSimWire wire;
    wire.device->GetFaults().corruptByteProbability = 1;
    const QByteArray good("^SN01234;");
    const QByteArray bad = wire.Exchange("^sn;");
    ASSERT_EQ(bad.size(), good.size());
    // Every byte has exactly one bit flipped.
    for (qsizetype i = 0; i < good.size(); ++i)
        EXPECT_EQ(std::popcount(static_cast<unsigned>(static_cast<BYTE>(bad[i] ^ good[i]))), 1) << i;
}

TEST(SimFault, UnpluggedIsReportedOnceAndFailsEveryOperationUntilReopened)
{
    CSimWire wire;
    int failures = 0;
    wire.port->SetFailureNotify([&]() { ++failures; });
    wire.device->Unplug();
    wire.host.RunUntilIdle();
    EXPECT_EQ(failures, 1);
    EXPECT_FALSE(wire.port->IsOpen());
    EXPECT_FALSE(wire.port->WriteText(QStringLiteral(";")));
    EXPECT_EQ(wire.port->LastError(), Result::PortLost);
    wire.host.RunUntilIdle();
    EXPECT_EQ(failures, 1);
    // It cannot be opened again while the device is gone.
    EXPECT_FALSE(wire.port->Open(QStringLiteral("SIM"), true));
    EXPECT_EQ(wire.port->LastError(), Result::FileNotFound);
    wire.device->GetFaults().unplugged = false;
    EXPECT_TRUE(wire.port->Open(QStringLiteral("SIM"), true));
}
