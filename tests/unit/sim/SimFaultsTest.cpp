// One test per named fault of the simulated amplifier's application side.
#include "SimWire.h"
#include "model/ResultCode.h"
#include <gtest/gtest.h>

namespace {
// Number of bit positions in which two equally long texts differ.
int BitsDiffering(const QByteArray& a, const QByteArray& b)
{
    int bits = 0;
    for (qsizetype i = 0; i < a.size(); ++i)
        bits += __builtin_popcount(static_cast<unsigned>(static_cast<BYTE>(a[i] ^ b[i])));
    return bits;
}
} // namespace

TEST(SimFault, DropNthAnswer)
{
    CSimWire wire;
    wire.device->GetFaults().dropAnswerNumber = 2;
    EXPECT_EQ(wire.Exchange("^sn;"), QByteArray("^SN01234;"));
    EXPECT_EQ(wire.Exchange("^sn;"), QByteArray());
    EXPECT_EQ(wire.Exchange("^sn;"), QByteArray("^SN01234;"));
    EXPECT_EQ(wire.device->GetFaults().dropAnswerNumber, 0);
}

TEST(SimFault, DropAnswersAtRandom)
{
    CSimWire wire;
    wire.device->GetFaults().dropAnswerProbability = 0.3;
    int answered = 0;
    for (int i = 0; i < 200; ++i)
        answered += wire.Exchange(";") == ";" ? 1 : 0;
    EXPECT_GT(answered, 100);
    EXPECT_LT(answered, 180);
}

TEST(SimFault, RandomFaultsFollowTheSeed)
{
    auto pattern = [](std::uint32_t seed) {
        CSimDevice::Options options = CSimWire::Defaults();
        options.seed = seed;
        CSimWire wire(options);
        wire.device->GetFaults().dropAnswerProbability = 0.5;
        QByteArray answered;
        for (int i = 0; i < 64; ++i)
            answered.append(wire.Exchange(";").isEmpty() ? '0' : '1');
        return answered;
    };
    EXPECT_EQ(pattern(5), pattern(5));
    EXPECT_NE(pattern(5), pattern(6));
}

TEST(SimFault, CorruptNthAnswer)
{
    CSimWire wire;
    wire.device->GetFaults().corruptAnswerNumber = 2;
    const QByteArray good("^SN01234;");
    EXPECT_EQ(wire.Exchange("^sn;"), good);
    const QByteArray bad = wire.Exchange("^sn;");
    ASSERT_EQ(bad.size(), good.size());
    EXPECT_EQ(BitsDiffering(bad, good), 1);
    EXPECT_EQ(wire.Exchange("^sn;"), good);
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
        EXPECT_EQ(BitsDiffering(bad.mid(i, 1), good.mid(i, 1)), 1) << i;
}

TEST(SimFault, Silent)
{
    CSimWire wire;
    wire.device->GetFaults().silent = true;
    EXPECT_EQ(wire.Exchange(";"), QByteArray());
    EXPECT_EQ(wire.Exchange("^I;"), QByteArray());
    // Silent is not deaf: writes are still taken.
    EXPECT_EQ(wire.Exchange("^ew00000010015A95;"), QByteArray());
    EXPECT_EQ(static_cast<BYTE>(wire.device->Eeprom()[0x10]), 0x5A);
    wire.device->GetFaults().silent = false;
    EXPECT_EQ(wire.Exchange(";"), QByteArray(";"));
}

TEST(SimFault, AnswerAtAnotherSpeed)
{
    CSimWire wire;
    wire.device->GetFaults().answerAtSpeed = 9600;
    EXPECT_EQ(wire.Exchange(";", 38400), QByteArray());
    EXPECT_EQ(wire.Exchange(";", 9600), QByteArray(";"));
    EXPECT_EQ(wire.device->ActiveSpeed(), 9600u);
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

TEST(SimFault, UnpluggedSetDirectlyFailsEveryKindOfOperation)
{
    for (int operation = 0; operation < 4; ++operation) {
        CSimWire wire;
        wire.device->GetFaults().unplugged = true;
        BYTE b;
        DWORD n = 0;
        bool ok = true;
        switch (operation) {
        case 0:
            ok = wire.port->WriteText(QStringLiteral(";"));
            break;
        case 1:
            ok = wire.port->Read(&b, 1, &n);
            break;
        case 2:
            ok = wire.port->PurgeReceive();
            break;
        case 3:
            ok = wire.port->SetSpeed(38400);
            break;
        }
        EXPECT_FALSE(ok) << operation;
        EXPECT_EQ(wire.port->LastError(), Result::PortLost) << operation;
        EXPECT_FALSE(wire.port->IsOpen()) << operation;
    }
}
