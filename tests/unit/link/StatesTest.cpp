// The generic command states: speed detection, identify, EEPROM block reads and writes, and
// the fixed commands, on a scripted amplifier in virtual time.
#include "EngineFixture.h"
#include "RowName.h"
#include "link/EepromBlock.h"
#include "link/states/DelayState.h"
#include "link/states/DetermineSpeedState.h"
#include "link/states/FixedCommandStates.h"
#include "link/states/OperateDetermineSpeedState.h"
#include "link/states/QueryIState.h"
#include "link/states/ReadSerialPromState.h"
#include "link/states/WriteSerialPromState.h"
#include "model/ResultCode.h"
#include <QRandomGenerator>

using Machine = CProbeMachine;

namespace {
using ::operator<<;
} // namespace

// Finding the amplifier at its speed after four polls at each faster one: ContactSpeed.
TEST_F(EngineTest, SpeedDetectionGivesUpAtTwentySpeedChanges)
{
    model->m_trace.m_value = 1;
    CDetermineSpeedState<Machine> state(machine.get(), "DetermineSpeedState", &machine->m_finalState);
    machine->Start(&state);
    RunUntilIdle();
    EXPECT_EQ(machine->ResultCode(), Result::NoResponseAfterReset);
    EXPECT_EQ(port->writes.size(), 80u);
    EXPECT_EQ(host.Now(), 8000u);
    EXPECT_EQ(sink.trace.filter("ChangeSpeed").size(), 19);
    EXPECT_EQ(sink.trace.filter("ChangeSpeed").first(), "DetermineSpeedState::ChangeSpeed 115200");
    // 4800 wraps to 230400.
    EXPECT_EQ(sink.trace.filter("ChangeSpeed")[6], "DetermineSpeedState::ChangeSpeed 230400");
}

TEST_F(EngineTest, OperateSpeedCheckFailsAfterOneFullCycle)
{
    CModel& m = *model;
    m.SetPortSpeed(38400);
    COperateDetermineSpeedState<Machine> state(machine.get(), "OperateDetermineSpeedState", &machine->m_finalState);
    machine->Start(&state);
    RunUntilIdle();
    EXPECT_EQ(machine->ResultCode(), Result::NoSemicolonResponse);
    EXPECT_EQ(port->writes.size(), 28u); // 4 polls at each of the 7 speeds
    EXPECT_EQ(m.PortSpeed(), 38400u);
}

namespace {
struct IdentifyCase {
    const char* name;
    const char* answer;
    int expectedStatus;
    bool toIdentifiedNext;
    int device;
};
} // namespace

class IdentifyStates : public EngineTest, public ::testing::WithParamInterface<IdentifyCase> { };

TEST_P(IdentifyStates, AnswerChoosesTheNextState)
{
    const IdentifyCase& c = GetParam();
    port->script = [&c](const QByteArray& w, DWORD) { return w == "^I;" ? QByteArray(c.answer) : QByteArray(); };
    CDelayState<Machine> identified(machine.get(), "Identified", &machine->m_finalState, 1000);
    CQueryIState<Machine> query(machine.get(), "QueryIState", &machine->m_finalState, &identified);
    model->m_firmwareStatus.Set(FirmwareApplication);
    machine->Start(&query);
    host.Advance(100);
    EXPECT_EQ(machine->CurrentState() == &identified, c.toIdentifiedNext);
    EXPECT_EQ(machine->Status(), c.expectedStatus);
    EXPECT_EQ(model->m_device.m_value, c.device);
}

INSTANTIATE_TEST_SUITE_P(Devices, IdentifyStates,
    ::testing::Values(IdentifyCase {"ApplicationGoesOn", "^IQRO4000;", 3, true, 15},
        IdentifyCase {"BootLoaderEnds", "^Iqro4000;", 2, false, 15},
        IdentifyCase {"AnotherDeviceGoesOnWithoutAStatus", "^IRX5;", 0, true, 2}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineTest, IdentifyAnswerWithoutADeviceNameIsRejectedAndAskedAgain)
{
    int asked = 0;
    port->script = [&](const QByteArray& w, DWORD) {
        if (w != "^I;")
            return QByteArray();
        return ++asked == 1 ? QByteArray("^IXYZ;") : QByteArray("^IQRO4000;");
    };
    CQueryIState<Machine> query(machine.get(), "QueryIState", &machine->m_finalState, &machine->m_finalState);
    machine->Start(&query);
    RunUntilIdle();
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(port->writes[1].time, 500u);
    EXPECT_EQ(machine->ResultCode(), 0u);
}

TEST_F(EngineTest, IdentifyWithoutAnswerFailsAfterTenSends)
{
    CQueryIState<Machine> query(machine.get(), "QueryIState", &machine->m_finalState, &machine->m_finalState);
    model->m_device.Set(CModelBase::DeviceQRO4000);
    machine->Start(&query);
    RunUntilIdle();
    EXPECT_EQ(machine->ResultCode(), Result::NoIdentifyResponse);
    EXPECT_EQ(port->writes.size(), 10u);
    EXPECT_EQ(model->m_device.m_value, CModelBase::DeviceNone);
}

// Answers in lower case are taken as well; each block is read twice (two readings must agree).
TEST_F(EngineTest, EepromReadOf200BytesGoesInBlocksOf64_64_64_8)
{
    const QByteArray memory = RandomMemory();
    port->script = EepromAnswers(&memory, [](QByteArray a) { return a.toLower(); });
    QByteArray destination(200, '\0');
    CReadSerialPromState<Machine> read(machine.get(), "ReadState", &machine->m_finalState, 4000,
        Result::NoReadBlockResponse, 0, 200, reinterpret_cast<BYTE*>(destination.data()));
    machine->Start(&read);
    RunUntilIdle();
    EXPECT_EQ(machine->ResultCode(), 0u);
    const QByteArray last = "^er000000C008" + QByteArray::number(0x100 - 0xC8, 16).toUpper() + ";";
    EXPECT_EQ(port->Commands(), (QByteArrayList {"^er0000000040C0;", "^er0000000040C0;", "^er000000404080;",
                                    "^er000000404080;", "^er000000804040;", "^er000000804040;", last, last}));
    EXPECT_EQ(destination, memory.left(200));
    EXPECT_EQ(model->m_progressPosition.m_value, 200u);
}

namespace {
struct BoundaryCase {
    const char* name;
    DWORD start;
    DWORD total;
    std::vector<DWORD> blocks;
};
} // namespace

class EepromBoundaries : public ::testing::TestWithParam<BoundaryCase> { };

TEST_P(EepromBoundaries, EveryBlockAdvancesAndEndsAtA256ByteBoundary)
{
    const BoundaryCase& c = GetParam();
    std::vector<DWORD> blocks;
    for (DWORD done = 0; done < c.total;) {
        const DWORD n = Eeprom::NextBlockLength(c.start + done, c.total - done);
        ASSERT_GT(n, 0u);
        blocks.push_back(n);
        done += n;
    }
    EXPECT_EQ(blocks, c.blocks);
}

INSTANTIATE_TEST_SUITE_P(Ranges, EepromBoundaries,
    ::testing::Values(BoundaryCase {"WholeBlocksThenTheRest", 0x0, 200, {64, 64, 64, 8}},
        BoundaryCase {"SplitAtA256ByteBoundary", 0xF0, 64, {16, 48}},
        BoundaryCase {"TwoBytesBeforeABoundaryGiveNoEmptyBlock", 0xFE, 4, {2, 2}},
        BoundaryCase {"LastByteBeforeABoundary", 0xFF, 1, {1}}, BoundaryCase {"EndingAtABoundary", 0x1C0, 64, {64}},
        BoundaryCase {"UnalignedStart", 0x10, 0x70, {64, 48}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(EngineTest, ReadAnswersThatDoNotFitTheCommandAreRefused)
{
    const QByteArray command = Eeprom::BuildReadCommand(0x40, 4);
    BYTE data[64];
    const QByteArray good
        = "^ER000000400401020304" + QByteArray::number(0x100 - ((0x40 + 4 + 1 + 2 + 3 + 4) & 0xFF), 16).toUpper() + ";";
    EXPECT_EQ(Eeprom::ParseReadAnswer(command, good, 4, data), 4);
    EXPECT_EQ(data[3], 4);
    const QByteArray otherAddress = "^ER00000044" + good.mid(11);
    EXPECT_EQ(Eeprom::ParseReadAnswer(command, otherAddress, 4, data), -1);
    EXPECT_EQ(Eeprom::ParseReadAnswer(command, good.left(good.size() - 3) + "00;", 4, data), -1);
    EXPECT_EQ(Eeprom::ParseReadAnswer(command, good.left(15), 4, data), -1);
    EXPECT_EQ(Eeprom::ParseReadAnswer(command, good.left(13) + "0102030G" + good.mid(21), 4, data), -1);
}

TEST_F(EngineTest, CancelDuringAReadEndsAtTheNextBlockWith1223)
{
    const QByteArray memory = RandomMemory();
    port->script = EepromAnswers(&memory);
    QByteArray destination(256, '\0');
    CReadSerialPromState<Machine> read(machine.get(), "ReadState", &machine->m_finalState, 4000,
        Result::NoReadBlockResponse, 0, 256, reinterpret_cast<BYTE*>(destination.data()));
    machine->Start(&read);
    machine->Cancel();
    RunUntilIdle();
    EXPECT_EQ(machine->ResultCode(), Result::Cancelled);
    EXPECT_EQ(port->writes.size(), 1u); // the block in flight completed; the next send stopped
    EXPECT_EQ(destination.left(64), memory.left(64));
}

TEST_F(EngineTest, ReadPastTheEndOfTheMemoryFailsBeforeSendingThatBlock)
{
    const QByteArray memory = RandomMemory();
    port->script = EepromAnswers(&memory);
    QByteArray destination(0x80, '\0');
    CReadSerialPromState<Machine> read(machine.get(), "ReadState", &machine->m_finalState, 4000,
        Result::NoReadBlockResponse, 0x3FFC0, 0x80, reinterpret_cast<BYTE*>(destination.data()));
    machine->Start(&read);
    RunUntilIdle();
    EXPECT_EQ(machine->ResultCode(), Result::InvalidEepromAddress);
    EXPECT_EQ(port->Commands(), (QByteArrayList {"^er0003FFC040FE;", "^er0003FFC040FE;"}));
    EXPECT_EQ(destination.left(64), memory.right(64));
}

TEST_F(EngineTest, ReadTimeoutsAreSharedByAllBlocksOfOneVisit)
{
    const QByteArray memory = RandomMemory();
    auto answer = EepromAnswers(&memory);
    int n = 0;
    // Every second command goes unanswered: 5 blocks need 5 time-outs, the sixth silence fails.
    port->script = [&](const QByteArray& w, DWORD s) { return ++n % 2 ? QByteArray() : answer(w, s); };
    QByteArray destination(64 * 6, '\0');
    CReadSerialPromState<Machine> read(machine.get(), "ReadState", &machine->m_finalState, 100,
        Result::NoReadBlockResponse, 0, 64 * 6, reinterpret_cast<BYTE*>(destination.data()));
    machine->m_retryLimit = 6;
    machine->Start(&read);
    RunUntilIdle();
    EXPECT_EQ(machine->ResultCode(), Result::NoReadBlockResponse);
}

TEST_F(EngineTest, WriteCommandAndAcknowledgement)
{
    const BYTE ff[16]
        = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    const QByteArray command = Eeprom::BuildWriteCommand(0x100, 16, ff);
    EXPECT_EQ(command, "^ew0000010010FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF;");
    // Acknowledgement: address, count and a check byte summing to 0.
    EXPECT_TRUE(Eeprom::IsWriteAcknowledged(command, "^EW0000010010EF;"));
    EXPECT_TRUE(Eeprom::IsWriteAcknowledged(command, "^ew0000010010ef;"));
    EXPECT_FALSE(Eeprom::IsWriteAcknowledged(command, "^EW0000010010EF")); // 15 characters
    EXPECT_FALSE(Eeprom::IsWriteAcknowledged(command, "^EW0000010010EF;;")); // 17 characters
    EXPECT_FALSE(Eeprom::IsWriteAcknowledged(command, "^EW0000010010EE;"));
}

TEST_F(EngineTest, WriteStateStopsOutsideTheWritableRegions)
{
    const std::vector<BYTE> source(0x1000, 0x5A);
    const BYTE* data = source.data();
    struct Case {
        DWORD start, total;
        bool allowed;
    };
    for (const Case c : {Case {0x0, 16, false}, Case {0x10, 0x70, true}, Case {0x37FC0, 64, true},
             Case {0x38000, 32, false}, Case {0x70, 0x20, false} /* spans two regions */, Case {0x300, 0xC00, true}}) {
        port->writes.clear();
        // The amplifier's acknowledgement carries the check of address and count only.
        port->script = [](const QByteArray& w, DWORD) {
            const DWORD address = w.mid(3, 8).toUInt(nullptr, 16);
            const DWORD count = w.mid(11, 2).toUInt(nullptr, 16);
            const BYTE check = Eeprom::CheckByte(address, count);
            return "^EW" + w.mid(3, 10) + QByteArray::number(check, 16).rightJustified(2, '0').toUpper() + ";";
        };
        CWriteSerialPromState<Machine> write(machine.get(), "WriteState", &machine->m_finalState, 4000,
            Result::NoWriteBlockResponse, c.start, c.total, data);
        machine->Start(&write);
        RunUntilIdle();
        EXPECT_EQ(machine->ResultCode(), c.allowed ? 0u : DWORD(Result::InvalidEepromAddress)) << std::hex << c.start;
        if (!c.allowed) {
            EXPECT_TRUE(port->writes.empty());
        }
    }
}

TEST_F(EngineTest, FixedCommandsAreWrittenAndTheMachineGoesOnAfterTenMilliseconds)
{
    CSetPowerOnState<Machine> on(machine.get(), "SetPowerOnState", &machine->m_finalState);
    CSetPowerOffState<Machine> off(machine.get(), "SetPowerOffState", &on);
    CCacheFlushState<Machine> flush(machine.get(), "CacheFlushState", &off);
    machine->Start(&flush);
    RunUntilIdle();
    EXPECT_EQ(port->Commands(), (QByteArrayList {"^cf;", "^on0;", "^on1;"}));
    EXPECT_EQ(host.Now(), 30u);
}
