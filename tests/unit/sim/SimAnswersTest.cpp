// What the simulated amplifier answers, byte for byte, in its application firmware.
#include "SimWire.h"
#include <gtest/gtest.h>

// EEPROM bytes 0x100..0x10F hold 00 01 .. 0F in these cases, so the block answers can be written
// out by hand: address bytes 00 00 01 00 and count 10 sum to 0x11, data 0 .. 15 to 0x78, so the
// read answer's check byte is 0x100 - 0x89 = 0x77; the write acknowledgement's is 0x100 - 0x11.
TEST(SimAnswers, ExactBytes)
{
    const struct {
        const char* name;
        const char* command;
        const char* answer; // "" for no answer
    } rows[] = {
        {"Poll", ";", ";"},
        {"Identify", "^I;", "^IQRO4000;"},
        {"IdentifyLowerCase", "^i;", "^IQRO4000;"},
        {"Revision", "^rv;", "^RV01.53;"},
        {"RevisionUpperCase", "^RV;", "^RV01.53;"},
        {"SerialNumber", "^sn;", "^SN01234;"},
        {"PowerQuery", "^on;", "^ON1;"},
        {"CacheFlushIsSilent", "^cf;", ""},
        {"PowerOffIsSilent", "^on0;", ""},
        {"PowerOnIsSilent", "^on1;", ""},
        {"UnknownCommandIsIgnored", "^zz;", ""},
        {"TextWithoutCaretIsIgnored", "rv;", ""},
        {"CaretStartsANewCommand", "garbage^rv;", "^RV01.53;"},
        {"TwoCommandsInOneWriteGetTwoAnswersInOrder", "^rv;^sn;", "^RV01.53;^SN01234;"},
        {"ReadBlock", "^er0000010010EF;", "^ER0000010010000102030405060708090A0B0C0D0E0F77;"},
        {"ReadBlockLowerCaseHex", "^er0000010010ef;", "^ER0000010010000102030405060708090A0B0C0D0E0F77;"},
        {"ReadOneByte", "^er0000010301FB;", "^ER000001030103F8;"},
        {"ReadBadCheckByte", "^er0000010010EE;", ""},
        {"ReadPastTheEnd", "^er0003FFD040EE;", ""},
        {"ReadCountAbove64", "^er0000010041BE;", ""},
        {"ReadCountZero", "^er0000010000FF;", ""},
        {"ReadShortCommand", "^er000001001EF;", ""},
        {"WriteBlock", "^ew0000010010FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF;", "^EW0000010010EF;"},
        {"WriteOneByte", "^ew00000010015A95;", "^EW0000001001EF;"},
        {"WriteBadCheckByte", "^ew00000010015A96;", ""},
        {"WriteIdentityBlock", "^ew00000000015AA5;", ""},
        {"WriteFaultLog", "^ew0003800001007C;", ""},
        {"WriteAcrossTwoRegions", "^ew0000007F0200007F;", ""},
        {"WriteWrongLength", "^ew0000010002FF;", ""},
    };
    for (const auto& row : rows) {
        CSimWire wire;
        for (int i = 0; i < 16; ++i)
            wire.device->Eeprom()[0x100 + i] = static_cast<char>(i);
        EXPECT_EQ(wire.Exchange(row.command), QByteArray(row.answer)) << row.name;
    }
}

TEST(SimDevice, PartialCommandIsCompletedByTheNextWrite)
{
    CSimWire wire;
    EXPECT_EQ(wire.Exchange("^s"), QByteArray());
    wire.port->WriteBytes(reinterpret_cast<const BYTE*>("n;"), 2);
    wire.host.Advance(10);
    EXPECT_EQ(wire.received, QByteArray("^SN01234;"));
}

TEST(SimDevice, TheWireLogsKeepTheLatestBytesOfALongRun)
{
    CSimWire wire;
    const QByteArray chunk = QByteArray(256 * 1024 - 4, ' ') + "^sn;";
    for (int i = 0; i < 40; ++i) // 10 MiB: days of polling
        wire.port->WriteBytes(reinterpret_cast<const BYTE*>(chunk.constData()), DWORD(chunk.size()));
    wire.host.Advance(100);
    const QByteArray log = wire.device->ReceivedLog();
    EXPECT_LE(log.size(), 4 * 1024 * 1024);
    EXPECT_GE(log.size(), 2 * 1024 * 1024);
    EXPECT_TRUE(log.endsWith(chunk));
}
