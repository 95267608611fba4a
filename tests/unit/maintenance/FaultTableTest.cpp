// The fault table read through its machine and reader on the simulated amplifier, in virtual
// time: reading order with wrap-around, empty slots, the index mend, a boot loader, failures.
#include "SimHarness.h"
#include "maintenance/FaultTableReader.h"
#include "maintenance/FaultTableStateMachine.h"
#include "model/ResultCode.h"
#include "sim/SimFaultLog.h"
#include <gtest/gtest.h>

namespace {
// The slot of every entry read, in the order the "^er" commands asked for them.
QList<unsigned> SlotsAsked(const QByteArray& wire)
{
    QList<unsigned> asked;
    for (const QByteArray& c : wire.split(';'))
        if (c.startsWith("^er") && c.mid(3, 8).toUInt(nullptr, 16) >= FaultLog::kEntryBase)
            asked << (c.mid(3, 8).toUInt(nullptr, 16) - FaultLog::kEntryBase) / FaultLog::kEntrySize;
    return asked;
}

class FaultTable : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(harness.Connect());
        harness.device->ClearLogs();
    }
    CSimFaultLog& Log() { return harness.device->Feature<CSimFaultLog>(); }
    DWORD Read()
    {
        EXPECT_TRUE(reader.Start());
        EXPECT_TRUE(harness.host.RunUntil([&] { return !reader.IsRunning(); }, 24ull * 3600 * 1000));
        return result;
    }

    CSimHarness harness;
    QStringList lines;
    DWORD result = Result::IoPending;
    CFaultTableReader reader {*harness.model, [this](unsigned slot, const CFaultEntry& e) { lines << e.Line(slot); },
        [this](DWORD r) { result = r; }};
};
} // namespace

TEST_F(FaultTable, ReadsEverySlotOnceFromTheIndexDownWithWrapAround)
{
    Log().Clear();
    const QDateTime t(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC);
    for (int i = 0; i < 6; ++i)
        Log().Append(0x00, t); // asked 0 to 5
    Log().SetIndex(5);
    ASSERT_EQ(Read(), 0u);
    // Each entry is read twice in a row (two readings must agree).
    const QList<unsigned> twice = SlotsAsked(harness.device->ReceivedLog());
    ASSERT_EQ(twice.size(), 2 * 1024);
    QList<unsigned> asked;
    for (qsizetype i = 0; i < twice.size(); i += 2) {
        ASSERT_EQ(twice[i], twice[i + 1]) << i;
        asked << twice[i];
    }
    EXPECT_EQ(asked.mid(0, 8), (QList<unsigned> {5, 4, 3, 2, 1, 0, 1023, 1022}));
    EXPECT_EQ(asked.back(), 6u);
    // The index itself is the first read, 2 bytes at 0x0A.
    EXPECT_TRUE(harness.device->ReceivedLog().contains("^I;^er0000000A02F4;^er0000000A02F4;^er00038"));
    EXPECT_EQ(lines.size(), 6);
    EXPECT_TRUE(lines.front().startsWith("  5 24-03-05T14:07:09 00 - ON "));
    EXPECT_EQ(reader.EntriesFound(), 6u);
    EXPECT_EQ(harness.model->m_progressPosition.m_value, CFaultTableReader::kProgressRange);
}

TEST_F(FaultTable, MachineRefusesAnEntryReadAtAnIndexOf1024OrMore)
{
    WORD index = 1024;
    BYTE entry[32];
    CFaultTableStateMachine* machine = harness.model->CreateMachine<CFaultTableStateMachine>(&index, entry);
    EXPECT_FALSE(machine->StartReadEntry());
    index = 1023;
    EXPECT_TRUE(machine->StartReadEntry());
    EXPECT_FALSE(machine->StartReadEntry()); // busy
    ASSERT_TRUE(harness.RunUntilIdle(*machine));
    EXPECT_EQ(QByteArray(reinterpret_cast<char*>(entry), 32), Log().Entry(1023));
    EXPECT_EQ(harness.device->ReceivedLog(), "^er0003FFE020FE;^er0003FFE020FE;");
}

// An index out of range, or a boot loader, ends the reading with its own error before any entry.
TEST_F(FaultTable, IndexOutOfRangeOrABootLoaderReadsNoEntry)
{
    Log().SetIndex(1024);
    EXPECT_EQ(Read(), Result::FaultLogIndexOutOfRange);
    EXPECT_EQ(reader.StoredIndex(), 1024);
    EXPECT_TRUE(SlotsAsked(harness.device->ReceivedLog()).isEmpty());
    harness.device->ClearLogs();
    harness.device->SetCommandHandler("i", [](const QByteArray&) { return QByteArray("^Iqro4000;"); });
    EXPECT_EQ(Read(), Result::BootLoaderNoFaultLog);
    EXPECT_FALSE(harness.device->ReceivedLog().contains("^er"));
    EXPECT_EQ(harness.model->m_firmwareStatus.m_value, FirmwareBootLoader);
    EXPECT_TRUE(lines.isEmpty());
}

TEST_F(FaultTable, EntryUnansweredTenTimesEndsTheReading)
{
    harness.device->SetCommandHandler("er", [](const QByteArray& command) {
        return command.startsWith("^er0000000A") ? QByteArray("^ER0000000A020500EF;") : QByteArray();
    });
    EXPECT_EQ(Read(), Result::NoReadBlockResponse);
    EXPECT_EQ(SlotsAsked(harness.device->ReceivedLog()), QList<unsigned>(10, 5));
    EXPECT_EQ(harness.model->m_firmwareStatus.m_value, FirmwareNone);
}

TEST_F(FaultTable, CancelStopsAtTheNextReadWithTheEntriesSoFar)
{
    ASSERT_TRUE(reader.Start());
    ASSERT_TRUE(harness.host.RunUntil([&] { return reader.SlotsRead() == 3; }));
    EXPECT_TRUE(reader.Cancel());
    ASSERT_TRUE(harness.host.RunUntil([&] { return !reader.IsRunning(); }));
    EXPECT_EQ(result, Result::Cancelled);
    // Three entries read twice each, and the first reading of the fourth.
    EXPECT_EQ(SlotsAsked(harness.device->ReceivedLog()).size(), 2 * 3 + 1);
    EXPECT_EQ(harness.model->m_firmwareStatus.m_value, FirmwareApplication);
}
