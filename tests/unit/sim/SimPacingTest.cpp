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

INSTANTIATE_TEST_SUITE_P(EverySpeed, SimPacing, ::testing::ValuesIn(kSupportedSpeeds),
    [](const auto& info) { return "At" + std::to_string(info.param); });

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
