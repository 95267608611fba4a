// The simulated amplifier's boot loader: entering it, unlock, erase, packets, end, version and
// restart, and its named faults.
#include "SimWire.h"
#include <gtest/gtest.h>

namespace {
constexpr DWORD kBase = CSimDevice::kFlashBase;

CSimDevice::Options BootOptions()
{
    CSimDevice::Options options = CSimWire::Defaults();
    options.speed = 115200; // the boot loader talks at 38400 whatever this is
    options.eraseMs = 1500;
    return options;
}

// A boot loader already unlocked, erased and waiting for packets after "D".
class BootLoaderDownload : public ::testing::Test {
protected:
    void SetUp() override
    {
        EXPECT_EQ(wire.Exchange("^ld;", 115200), QByteArray());
        ASSERT_TRUE(wire.device->InBootLoader());
        EXPECT_EQ(wire.Exchange("U"), QByteArray("A"));
        EXPECT_EQ(wire.Exchange("P", 38400, 1600), QByteArray("A"));
        EXPECT_EQ(wire.Exchange("D"), QByteArray("D"));
    }

    QByteArray Send(DWORD address, int seed, int checkOffset = 0)
    {
        return wire.Exchange(MakePacket(address, PacketData(seed), checkOffset));
    }

    QByteArray FlashAt(DWORD address, qsizetype n = 512) { return wire.device->Flash().mid(address - kBase, n); }

    CSimWire wire {BootOptions()};
};
} // namespace

// Conversations with the boot loader entered from the application at 115200 bit/s: each
// step sends bytes at a speed, lets time pass and expects an answer ("" for none).
TEST(SimBootLoader, AnswersAsARealUnit)
{
    struct Step {
        QByteArray send;
        QByteArray answer;
        DWORD speed = 38400;
        std::uint64_t ms = 50;
    };
    const std::pair<const char*, std::vector<Step>> rows[]
        = {{"ItTalksOnlyAt38400AndNamesItselfInLowerCase",
               {{";", "", 115200}, {";", ";"}, {"^I;", "^Iqro4000;"}, {"^rv;", ""}}},
            {"UnlockAnswersA", {{"U", "A"}}}, {"EraseWithoutUnlockIsRefused", {{"P", "N", 38400, 2000}}},
            {"VersionQuery", {{"V;", "BL01.02;"}}},
            {"ExitWithoutLoadingKeepsTheApplication", {{"R", ""}, {"^rv;", "^RV01.53;", 115200}}},
            {"RestartAfterEraseWithoutALoadStaysInTheBootLoader",
                {{"U", "A"}, {"P", "A", 38400, 1600}, {"R", ""}, {"^I;", "^Iqro4000;"}, {"^I;", "", 115200}}}};
    for (const auto& [name, steps] : rows) {
        CSimWire wire(BootOptions());
        ASSERT_EQ(wire.Exchange("^ld;", 115200), QByteArray());
        ASSERT_TRUE(wire.device->InBootLoader());
        int step = 0;
        for (const Step& s : steps)
            EXPECT_EQ(wire.Exchange(s.send, s.speed, s.ms), s.answer) << name << " step " << ++step;
    }
}

TEST(SimBootLoader, EraseTakesItsTime)
{
    CSimWire wire(BootOptions());
    wire.Exchange("^ld;", 115200);
    wire.device->Flash().fill(0);
    wire.Exchange("U");
    // Nothing until the erase time and the answer delay have passed.
    EXPECT_EQ(wire.Exchange("P", 38400, 1500), QByteArray());
    wire.host.Advance(1);
    EXPECT_EQ(wire.received, QByteArray("A"));
    EXPECT_EQ(wire.device->Flash(), QByteArray(CSimDevice::kFlashSize, static_cast<char>(0xFF)));
}

// A packet is stored only when it sums to 0 and lies inside the flash; a refused one leaves it.
TEST_F(BootLoaderDownload, PacketIsStoredOnlyWhenItsCheckAndAddressAreRight)
{
    EXPECT_EQ(Send(kBase + 0x200, 1, 1), QByteArray("N"));
    EXPECT_EQ(Send(kBase - 0x200, 1), QByteArray("N"));
    EXPECT_EQ(Send(kBase + 0x80000, 1), QByteArray("N"));
    EXPECT_EQ(wire.device->Flash(), QByteArray(CSimDevice::kFlashSize, static_cast<char>(0xFF)));
    EXPECT_EQ(Send(kBase + 0x200, 1), QByteArray("A"));
    EXPECT_EQ(Send(kBase + 0x7FE00, 2), QByteArray("A"));
    EXPECT_EQ(FlashAt(kBase + 0x200), PacketData(1));
    EXPECT_EQ(FlashAt(kBase + 0x7FE00), PacketData(2));
}

TEST_F(BootLoaderDownload, FillBytesCompleteAPartialPacketWhichIsRefused)
{
    const QByteArray packet = MakePacket(kBase, PacketData(4));
    EXPECT_EQ(wire.Exchange(packet.left(300)), QByteArray());
    // 216 fill bytes leave the buffer one short of a packet: nothing yet.
    EXPECT_EQ(wire.Exchange(QByteArray(216, ';')), QByteArray());
    // The 217th completes it; a packet made up with fill bytes never sums to 0.
    EXPECT_EQ(wire.Exchange(";"), QByteArray("N"));
    // The buffer is at a packet boundary again: the resent packet is taken.
    EXPECT_EQ(wire.Exchange(packet), QByteArray("A"));
    EXPECT_EQ(FlashAt(kBase), PacketData(4));
}

TEST_F(BootLoaderDownload, RestartDuringTheDownloadIsJustAPacketByte)
{
    EXPECT_EQ(wire.Exchange("R"), QByteArray());
    EXPECT_TRUE(wire.device->InBootLoader());
    // The "R" was the first byte of a packet: 516 more complete it (and it is refused).
    EXPECT_EQ(wire.Exchange(QByteArray(515, ';')), QByteArray());
    EXPECT_EQ(wire.Exchange(";"), QByteArray("N"));
}
