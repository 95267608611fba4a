// Paced output takes the line's real time, in virtual time: 10 bits per byte (start, 8 data,
// stop) at the line speed.
#include "SimWire.h"
#include "link/EepromBlock.h"
#include <gtest/gtest.h>

// A 64-byte read answer ("^ER" + 8 + 2 + 128 + 2 digits + ";") arrives byte by byte, each one
// when its last bit is through, all of it exactly once, at every speed.
TEST(SimPacing, AnswerArrivesAtTheLinesBitRate)
{
    const QByteArray command("^er0000000040C0;");
    const qsizetype length = 144;
    for (const DWORD speed : kSupportedSpeeds) {
        CSimDevice::Options options = CSimWire::Defaults();
        options.speed = speed;
        options.answerDelayMs = 1;
        CSimWire wire(options);
        wire.port->SetSpeed(speed);
        wire.port->WriteBytes(reinterpret_cast<const BYTE*>(command.constData()), 16); // goes in at once
        wire.device->GetOptions().pace = true;
        const std::uint64_t start = wire.host.Now() + options.answerDelayMs;
        const std::uint64_t wireMs = (length * 10000 + speed - 1) / speed;
        for (std::uint64_t t = 1; t <= wireMs + 2; ++t) {
            wire.host.Advance(1);
            const std::uint64_t now = wire.host.Now();
            ASSERT_EQ(wire.received.size(), now < start ? 0 : std::min<qsizetype>(length, (now - start) * speed / 10000))
                << "at " << now << " ms, " << speed << " bit/s";
        }
        EXPECT_EQ(wire.arrivals.back().at, start + wireMs) << speed;
        BYTE data[64];
        EXPECT_EQ(Eeprom::ParseReadAnswer(command, wire.received, 64, data), 64) << speed;
    }
}

// 517 bytes of a boot-loader packet at 38400 bit/s take 134.636 ms: the packet is complete only
// then, and its one-byte acknowledgement follows straight after, at 134.897 ms.
TEST(SimPacingTiming, CommandsArriveAtTheLinesBitRateToo)
{
    CSimDevice::Options options = CSimWire::Defaults();
    options.pace = true;
    options.answerDelayMs = 0;
    CSimWire wire(options);
    wire.Exchange("^ld;", 38400, 10);
    wire.Exchange("D", 38400, 10);
    const QByteArray packet = MakePacket(CSimDevice::kFlashBase, PacketData(1));
    wire.received.clear();
    wire.port->WriteBytes(reinterpret_cast<const BYTE*>(packet.constData()), static_cast<DWORD>(packet.size()));
    wire.host.Advance(134);
    EXPECT_TRUE(wire.received.isEmpty());
    wire.host.Advance(1);
    EXPECT_EQ(wire.received, QByteArray("A"));
}
