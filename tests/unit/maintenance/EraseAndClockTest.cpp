// Reset configuration, ATU memory erase and the clock conversation on the simulated amplifier,
// in virtual time: exact writes and their order, the amplifier's memory afterwards, the ends.
#include "SimHarness.h"
#include "maintenance/DateTimeStateMachine.h"
#include "maintenance/EraseConfigStateMachine.h"
#include "model/ResultCode.h"
#include "sim/SimAtuMemory.h"
#include "sim/SimClock.h"
#include "sim/SimFactoryReset.h"
#include <gtest/gtest.h>

namespace {
class Maintenance : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(harness.Connect());
        harness.device->ClearLogs();
    }
    // The commands written, with the repeated polls of a speed search counted once.
    QByteArrayList Writes() const
    {
        QByteArrayList out;
        for (const QByteArray& c : harness.device->ReceivedLog().split(';'))
            if (!c.isEmpty() || out.isEmpty() || out.back() != ";")
                out << c + ';';
        out.removeLast();
        return out;
    }
    DWORD Run(IStateMachine& machine)
    {
        EXPECT_TRUE(harness.RunUntilIdle(machine));
        return machine.ResultCode();
    }
    void AnswerIdentifyAs(const char* answer)
    {
        harness.device->SetCommandHandler("i", [answer](const QByteArray&) { return QByteArray(answer); });
    }

    CSimHarness harness;
};

} // namespace

TEST_F(Maintenance, ResetWritesItsCommandsInOrderAndKeepsTheAtuMemories)
{
    const QByteArray before = harness.device->Eeprom();
    auto* machine = harness.model->CreateMachine<CEraseConfigStateMachine>();
    ASSERT_TRUE(machine->StartResetConfiguration());
    EXPECT_FALSE(machine->StartEraseMemory());
    EXPECT_EQ(Run(*machine), 0u);
    EXPECT_EQ(Writes(), (QByteArrayList {";", "^I;", "^cf;", "^ecqvmst;", "^on0;", ";", "^I;", "^on1;"}));
    EXPECT_EQ(harness.device->Feature<CSimFactoryReset>().ResetCount(), 1);
    const QByteArray after = harness.device->Eeprom();
    EXPECT_EQ(after.mid(0x100, 0xF00), QByteArray(0xF00, char(0xFF)));
    EXPECT_EQ(after.left(0x100), before.left(0x100));
    EXPECT_EQ(after.mid(0x1000), before.mid(0x1000));
    EXPECT_TRUE(harness.device->PowerOn());
}

// One band and antenna, or every band: the erase and the revision query go in one write, and only
// those memories are erased.
TEST(EraseCommand, WritesTheEraseAndTheRevisionQueryInOneGo)
{
    const struct {
        int band, antenna;
        const char* write;
    } rows[] = {{0, 2, "^em002;^rv;"}, {3, 1, "^em031;^rv;"}, {10, 1, "^em101;^rv;"}, {11, 1, "^emAB1;^rv;"}};
    for (const auto& row : rows) {
        CSimHarness harness;
        ASSERT_TRUE(harness.Connect());
        harness.device->ClearLogs();
        harness.model->m_band.Set(CModel::Band(row.band));
        harness.model->m_antenna.Set(static_cast<BYTE>(row.antenna));
        harness.model->m_firmwareRevision.Set(0);
        harness.device->Eeprom().replace(0x1000, 0x37000, QByteArray(0x37000, 0x5A));
        auto* machine = harness.model->CreateMachine<CEraseConfigStateMachine>();
        ASSERT_TRUE(machine->StartEraseMemory());
        ASSERT_TRUE(harness.RunUntilIdle(*machine));
        EXPECT_EQ(machine->ResultCode(), 0u);
        EXPECT_EQ(harness.device->ReceivedLog(), QByteArray(";^I;") + row.write);
        EXPECT_EQ(harness.model->m_firmwareRevision.m_value, 153);
        const auto& atu = harness.device->Feature<CSimAtuMemory>();
        for (int band = 0; band < 11; ++band)
            for (int antenna = 1; antenna <= 2; ++antenna)
                EXPECT_EQ(atu.IsErased(band, antenna), antenna == row.antenna && (row.band == 11 || band == row.band))
                    << row.write << " " << band << " " << antenna;
    }
}

TEST_F(Maintenance, EraseWithoutARevisionAnswerFailsAfterTenSendsOfFiveSeconds)
{
    harness.device->SetCommandHandler("rv", [](const QByteArray&) { return QByteArray("^rv01.53;"); });
    auto* machine = harness.model->CreateMachine<CEraseConfigStateMachine>();
    ASSERT_TRUE(machine->StartEraseMemory());
    const std::uint64_t start = harness.host.Now();
    EXPECT_EQ(Run(*machine), Result::NoRevisionResponse);
    EXPECT_EQ(harness.device->ReceivedLog().count("^em001;^rv;"), 10);
    EXPECT_GE(harness.host.Now() - start, 50000u);
}

TEST_F(Maintenance, BootLoaderOrAnotherDeviceIsNeitherResetNorErased)
{
    AnswerIdentifyAs("^Iqro4000;");
    auto* machine = harness.model->CreateMachine<CEraseConfigStateMachine>();
    ASSERT_TRUE(machine->StartResetConfiguration());
    EXPECT_EQ(Run(*machine), Result::BootLoaderNothingErased);
    ASSERT_TRUE(machine->StartEraseMemory());
    EXPECT_EQ(Run(*machine), Result::BootLoaderNothingErased);
    EXPECT_EQ(harness.model->m_firmwareStatus.m_value, FirmwareBootLoader);
    AnswerIdentifyAs("^IQRO800;");
    ASSERT_TRUE(machine->StartResetConfiguration());
    EXPECT_EQ(Run(*machine), Result::UnexpectedDevice);
    EXPECT_EQ(Writes(), (QByteArrayList {";", "^I;", ";", "^I;", ";", "^I;"}));
}

// Once the erase has gone out, the reset either switches the amplifier on again or fails saying so.
TEST_F(Maintenance, ResetAfterItsEraseEndsSwitchedOnOrFailsWithItsOwnCode)
{
    auto* machine = harness.model->CreateMachine<CEraseConfigStateMachine>();
    // A cancel (Ctrl+C) arriving just after the erase finishes the sequence.
    harness.device->SetCommandHandler("on", [machine](const QByteArray& command) {
        if (command == "^on0;") {
            EXPECT_TRUE(machine->Cancel());
        }
        return QByteArray();
    });
    ASSERT_TRUE(machine->StartResetConfiguration());
    EXPECT_EQ(Run(*machine), 0u);
    EXPECT_EQ(Writes().mid(3), (QByteArrayList {"^ecqvmst;", "^on0;", ";", "^I;", "^on1;"}));
    EXPECT_TRUE(harness.sink.Contains("switching the amplifier back on"));

    // The amplifier restarts in its boot loader: not switched on, and not a success.
    harness.device->ClearLogs();
    int identifies = 0;
    harness.device->SetCommandHandler("i", [&identifies](const QByteArray&) {
        return QByteArray(++identifies == 1 ? "^IQRO4000;" : "^Iqro4000;");
    });
    ASSERT_TRUE(machine->StartResetConfiguration());
    EXPECT_EQ(Run(*machine), Result::BootLoaderAfterReset);
    EXPECT_FALSE(Writes().contains("^on1;"));
    EXPECT_EQ(harness.model->m_firmwareStatus.m_value, FirmwareBootLoader);
}

// The clock is read, or set from the computer's time without waiting for an answer; either way
// the machine ends a hundred milliseconds later.
TEST_F(Maintenance, ClockIsReadOrSetThenTheMachineEndsAHundredMillisecondsLater)
{
    harness.model->m_trace.Set(1);
    harness.device->Feature<CSimClock>().Set(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC));
    auto* machine = harness.model->CreateMachine<CDateTimeStateMachine>();
    ASSERT_TRUE(machine->StartGetDateTime());
    EXPECT_EQ(Run(*machine), 0u);
    EXPECT_EQ(harness.model->m_amplifierTime.m_value,
        (SYSTEMTIME {.wYear = 24, .wMonth = 3, .wDay = 5, .wHour = 14, .wMinute = 7, .wSecond = 9}));
    EXPECT_TRUE(harness.sink.trace.contains("GetDateTimeState Send \"^cc;\""));
    EXPECT_EQ(harness.sink.trace.last(), "DelayState Timer Elapsed 100 ms");

    harness.device->ClearLogs();
    harness.sink.trace.clear();
    harness.model->m_computerTime.Set(SYSTEMTIME {.wYear = 2024, .wMonth = 3, .wDay = 5, .wHour = 9});
    ASSERT_TRUE(machine->StartSetDateTime());
    EXPECT_EQ(Run(*machine), 0u);
    EXPECT_EQ(harness.device->ReceivedLog(), "^cc24-03-05T09:00:00;");
    EXPECT_EQ(harness.device->Feature<CSimClock>().Answer(), "^CC24-03-05T09:00:00;");
    const int at = harness.sink.trace.indexOf("SetDateTimeState Timer Elapsed  10 ms");
    ASSERT_GE(at, 0);
    EXPECT_EQ(harness.sink.trace.value(at + 1), "DelayState Timer Elapsed 100 ms");
}

// An answer that is no time in the clock's format is dropped and asked for again, like silence.
TEST_F(Maintenance, ClockQueryWithoutATimeFailsAfterTenSends)
{
    const struct {
        const char* answer; // nullptr: silence
        int goodAfter;      // the send that first gets a good answer; 0: none
        DWORD result;
    } cases[] = {{nullptr, 0, Result::NoClockResponse}, {";", 0, Result::NoClockResponse},
        {"^CC24-13-05T14:07:09;", 0, Result::NoClockResponse}, {"^CC2>-12-06T14:07:09;", 2, 0}};
    for (const auto& c : cases) {
        harness.device->ClearLogs();
        harness.device->GetFaults().silent = c.answer == nullptr;
        int sends = 0;
        harness.device->SetCommandHandler("cc", [&](const QByteArray&) {
            return ++sends == c.goodAfter ? QByteArray("^CC24-12-06T14:07:09;") : QByteArray(c.answer);
        });
        const SYSTEMTIME before = harness.model->m_amplifierTime.m_value;
        auto* machine = harness.model->CreateMachine<CDateTimeStateMachine>();
        ASSERT_TRUE(machine->StartGetDateTime());
        EXPECT_EQ(Run(*machine), c.result) << c.answer;
        EXPECT_EQ(harness.device->ReceivedLog(), QByteArray("^cc;").repeated(c.goodAfter ? c.goodAfter : 10));
        if (c.result != 0) {
            EXPECT_EQ(harness.model->m_amplifierTime.m_value, before) << c.answer;
        } else {
            EXPECT_EQ(harness.model->m_amplifierTime.m_value.wMonth, 12);
        }
        machine->Release();
    }
}
