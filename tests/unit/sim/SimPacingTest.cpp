// Paced output takes the line's real time, in virtual time: 10 bits per byte (start, 8 data,
// stop) at the line speed.
#include "SimWire.h"
#include "link/EepromBlock.h"
#include <gtest/gtest.h>

namespace {
// A 64-byte read answer: "^ER" + 8 + 2 + 128 + 2 digits + ";" = 144 bytes.
const QByteArray kReadCommand("^er0000000040C0;");
constexpr qsizetype kReadAnswerLength = 144;

// Bytes of an answer started at `start` ms that have fully arrived by `t` ms at `speed`.
qsizetype ExpectedBytes(std::uint64_t start, std::uint64_t t, DWORD speed, qsizetype length)
{
    if (t < start)
        return 0;
    return std::min<qsizetype>(length, static_cast<qsizetype>((t - start) * speed / 10000));
}
} // namespace

class SimPacing : public ::testing::TestWithParam<DWORD> { };

TEST_P(SimPacing, AnswerArrivesAtTheLinesBitRate)
{
    const DWORD speed = GetParam();
    CSimDevice::Options options = CSimWire::Defaults();
    options.speed = speed;
    options.answerDelayMs = 1;
    CSimWire wire(options);
    wire.port->SetSpeed(speed);
    // The command goes in at once; the answer that follows is paced.
    wire.port->WriteBytes(reinterpret_cast<const BYTE*>(kReadCommand.constData()), 16);
    wire.device->GetOptions().pace = true;
    const std::uint64_t start = wire.host.Now() + options.answerDelayMs;
    const std::uint64_t wireMs = (kReadAnswerLength * 10000 + speed - 1) / speed; // rounded up
    for (std::uint64_t t = 1; t <= wireMs + 2; ++t) {
        wire.host.Advance(1);
        ASSERT_EQ(wire.received.size(), ExpectedBytes(start, wire.host.Now(), speed, kReadAnswerLength))
            << "at " << wire.host.Now() << " ms";
    }
    // All of it, exactly once, after N * 10 / B seconds.
    EXPECT_EQ(wire.received.size(), kReadAnswerLength);
    ASSERT_FALSE(wire.arrivals.empty());
    EXPECT_EQ(wire.arrivals.back().at, start + wireMs);
    BYTE data[64];
    EXPECT_EQ(Eeprom::ParseReadAnswer(kReadCommand, wire.received, 64, data), 64);
}

INSTANTIATE_TEST_SUITE_P(EverySpeed, SimPacing, ::testing::ValuesIn(kSupportedSpeeds));

TEST(SimPacingTiming, BackToBackAnswersDoNotOverlap)
{
    CSimDevice::Options options = CSimWire::Defaults();
    options.speed = 9600;
    CSimWire wire(options);
    wire.port->SetSpeed(9600);
    // Two answers of 9 bytes each: the second waits for the line, 18 bytes take 18.75 ms.
    wire.port->WriteText(QStringLiteral("^sn;^sn;"));
    wire.device->GetOptions().pace = true;
    wire.host.Advance(19);
    EXPECT_EQ(wire.received.size(), 17);
    wire.host.Advance(1);
    EXPECT_EQ(wire.received, QByteArray("^SN01234;^SN01234;"));
    EXPECT_EQ(wire.arrivals.back().at, 20u);
}

TEST(SimPacingTiming, CommandsArriveAtTheLinesBitRateToo)
{
    CSimDevice::Options options = CSimWire::Defaults();
    options.pace = true;
    options.answerDelayMs = 0;
    CSimWire wire(options);
    wire.Exchange("^ld;", 38400, 10);
    ASSERT_TRUE(wire.device->InBootLoader());
    wire.Exchange("D", 38400, 10);
    // 517 bytes at 38400 bit/s take 134.636 ms: the packet is complete only then, and its
    // acknowledgement (one byte, 0.26 ms) follows straight after the last byte, at 134.897 ms.
    const QByteArray packet = MakePacket(CSimDevice::kFlashBase, PacketData(1));
    wire.received.clear();
    const std::uint64_t start = wire.host.Now();
    wire.port->WriteBytes(reinterpret_cast<const BYTE*>(packet.constData()), static_cast<DWORD>(packet.size()));
    wire.host.Advance(134);
    EXPECT_TRUE(wire.received.isEmpty());
    wire.host.Advance(1);
    EXPECT_EQ(wire.received, QByteArray("A"));
    EXPECT_EQ(wire.arrivals.back().at, start + 135);
}

TEST(SimPacingTiming, AnswerDelayCountsFromTheCommandsLastByte)
{
    CSimDevice::Options options = CSimWire::Defaults();
    options.pace = true;
    options.answerDelayMs = 2;
    CSimWire wire(options);
    wire.port->SetSpeed(38400);
    // "^sn;" ends at 1.042 ms; the answer starts 2 ms later, at 3.042 ms, one byte every
    // 0.260 ms: 7 bytes by 5 ms (the 8th ends at 5.126 ms), the 9th at 5.386 ms.
    wire.port->WriteText(QStringLiteral("^sn;"));
    wire.host.Advance(5);
    EXPECT_EQ(wire.received.size(), 7);
    wire.host.Advance(1);
    EXPECT_EQ(wire.received, QByteArray("^SN01234;"));
    EXPECT_EQ(wire.arrivals.back().at, 6u);
}

TEST(SimPacingTiming, WithoutPacingAnswersComeAfterTheDelayOnly)
{
    CSimDevice::Options options = CSimWire::Defaults();
    options.answerDelayMs = 7;
    CSimWire wire(options);
    wire.port->SetSpeed(38400);
    wire.port->WriteBytes(reinterpret_cast<const BYTE*>(kReadCommand.constData()), 16);
    wire.host.Advance(6);
    EXPECT_TRUE(wire.received.isEmpty());
    wire.host.Advance(1);
    EXPECT_EQ(wire.received.size(), kReadAnswerLength);
}
