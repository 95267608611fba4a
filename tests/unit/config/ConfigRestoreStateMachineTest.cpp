#include "config/ConfigRestoreStateMachine.h"
#include "ConfigTestSupport.h"
#include "RowName.h"
#include "SimHarness.h"
#include "config/ConfigRegions.h"
#include "config/ConfigRestoreReport.h"
#include "link/EepromBlock.h"
#include "model/ResultCode.h"
#include <gtest/gtest.h>

namespace {
using ::operator<<;
constexpr std::uint64_t kLong = 24ull * 3600 * 1000;
using CRecord = CConfigRestoreStateMachine::CRecord;

std::vector<BYTE> Bytes(DWORD count, BYTE value)
{
    return std::vector<BYTE>(count, value);
}

class ConfigRestore : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(harness.Connect());
        harness.device->ClearLogs();
        machine = harness.model->CreateMachine<CConfigRestoreStateMachine>();
        ASSERT_NE(machine, nullptr);
    }
    QByteArray Wire() const { return harness.device->ReceivedLog(); }
    // A file saved from the pattern image with this serial number, loaded into the machine.
    DWORD Load(WORD fileSerial, unsigned seed = 11)
    {
        const QString path = harness.TempPath(QString("load%1.QRO4000Config").arg(seed));
        if (WriteConfigFile(TestHeader(fileSerial), path, CPatternSource(seed)) != 0)
            return ~0u;
        QString message;
        return LoadConfigFile(path, harness.model->m_serialNumber.m_value, *machine, &message);
    }
    DWORD Run(std::uint64_t limit = kLong)
    {
        EXPECT_TRUE(machine->Start());
        EXPECT_TRUE(harness.RunUntilIdle(*machine, limit));
        return machine->ResultCode();
    }
    // The simulated amplifier's memory as it should be after restoring the pattern `seed`
    // within `regions`.
    QByteArray Expected(const QByteArray& before, unsigned seed, bool mismatch) const
    {
        QByteArray out = before;
        const CPatternSource pattern(seed);
        for (const CMemoryRegion& r : ConfigRegions::RestoreRegions(mismatch))
            for (DWORD a = r.start; a < r.End(); ++a)
                out[a] = static_cast<char>(pattern.bytes[a]);
        return out;
    }

    CSimHarness harness;
    CConfigRestoreStateMachine* machine = nullptr;
};
} // namespace

// How a file's 64-byte line becomes write records: only writable bytes, split at region ends,
// and the per-unit bytes kept when the file comes from another amplifier.
struct SplitRow {
    const char* name;
    bool otherAmplifier;
    DWORD line;
    std::vector<std::pair<DWORD, DWORD>> records; // address, length
};

class ConfigRestoreSplit : public ConfigRestore, public testing::WithParamInterface<SplitRow> { };

TEST_P(ConfigRestoreSplit, LineGivesTheseRecords)
{
    const SplitRow& row = GetParam();
    std::vector<BYTE> data(64);
    for (int i = 0; i < 64; ++i)
        data[i] = static_cast<BYTE>(i);
    machine->SetSerialMismatch(row.otherAmplifier);
    machine->StoreBlock(row.line, 64, data.data());
    std::vector<std::pair<DWORD, DWORD>> records;
    for (const CRecord& r : machine->Records()) {
        records.emplace_back(r.address, r.length);
        EXPECT_EQ(r.data[0], data[r.address - row.line]);
    }
    EXPECT_EQ(records, row.records);
}

INSTANTIATE_TEST_SUITE_P(Lines, ConfigRestoreSplit,
    testing::Values(SplitRow {"AtZeroKeepsOnlyItsBytesFrom0x10", false, 0, {{0x10, 48}}},
        SplitRow {"At0x37FC0IsOneWholeRecord", false, 0x37FC0, {{0x37FC0, 64}}},
        SplitRow {"AcrossTwoRegionsGivesTwoRecords", false, 0x60, {{0x60, 0x20}, {0x80, 0x20}}},
        SplitRow {"InTheFaultLogGivesNone", false, 0x38000, {}},
        SplitRow {"AtTheEndOfTheMemoryGivesNone", false, 0x3FFC0, {}},
        SplitRow {"WhoseAddressWrapsAroundGivesNone", false, 0xFFFFFFF0, {}},
        SplitRow {"OfAnotherAmplifierAtZeroGivesNone", true, 0, {}},
        SplitRow {"OfAnotherAmplifierAt0xC0GivesNone", true, 0xC0, {}},
        SplitRow {"OfAnotherAmplifierAt0x100IsKept", true, 0x100, {{0x100, 64}}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConfigRestore, FullRestoreWritesTheRegionsThenRestartsTheAmplifier)
{
    const QByteArray before = harness.device->Eeprom();
    ASSERT_EQ(Load(1234), 0u);
    EXPECT_EQ(machine->TotalBytes(), 0x37FF0u);
    harness.model->m_trace.m_value = 1;
    CCompletionRecorder completion(*harness.model);
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(harness.device->Eeprom(), Expected(before, 11, false));
    EXPECT_EQ(harness.device->Eeprom().left(0x10), before.left(0x10));
    EXPECT_EQ(harness.device->Eeprom().mid(0x38000), before.mid(0x38000));

    const QList<QByteArray> commands = Commands(Wire());
    const qsizetype writes = CommandsStartingWith(Wire(), "^ew").size();
    EXPECT_EQ(writes, 0x37FF0 / 64 + 1); // 48 bytes at 0x10, then 64-byte blocks
    ASSERT_EQ(commands.size(), 3 + writes + 4);
    EXPECT_EQ(commands.mid(0, 3), (QList<QByteArray> {";", "^I;", "^cf;"}));
    EXPECT_TRUE(commands[3].startsWith("^ew0000001030"));
    EXPECT_EQ(commands.mid(3 + writes), (QList<QByteArray> {"^on0;", ";", "^I;", "^on1;"}));
    EXPECT_TRUE(harness.device->PowerOn());
    EXPECT_TRUE(harness.sink.Contains("DelayPostRestore Timer Elapsed 2000 ms"));
    EXPECT_EQ(completion.results, QList<DWORD> {0});
    EXPECT_EQ(harness.model->m_progressRange.m_value, 0x37FF0u);
    EXPECT_EQ(harness.model->m_progressPosition.m_value, 0x37FF0u);
}

TEST_F(ConfigRestore, FileFromAnotherAmplifierKeepsThePerUnitBytes)
{
    const QByteArray before = harness.device->Eeprom();
    ASSERT_EQ(Load(4321), 0u);
    EXPECT_TRUE(machine->SerialMismatch());
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(harness.device->Eeprom(), Expected(before, 11, true));
    EXPECT_EQ(harness.device->Eeprom().left(0x100), before.left(0x100));
}

TEST_F(ConfigRestore, AcknowledgementWithAWrongCheckIsRefused)
{
    const auto data = Bytes(64, 0x33);
    machine->StoreBlock(0x1000, 64, data.data());
    int calls = 0;
    harness.device->SetCommandHandler("ew", [&](const QByteArray& command) {
        QByteArray ack = "^EW" + Eeprom::BuildReadCommand(0x1000, 64).mid(3);
        if (++calls == 1)
            ack[13] = ack[13] == '0' ? '1' : '0';
        harness.device->Eeprom().replace(0x1000, 64, QByteArray(64, 0x33));
        (void)command;
        return ack;
    });
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(CommandsStartingWith(Wire(), "^ew").size(), 2);
    // The damaged acknowledgement makes the restore read the block back before the restart.
    EXPECT_EQ(CommandsStartingWith(Wire(), "^er").size(), 1);
}

TEST_F(ConfigRestore, CancelDuringTheWritesSkipsThePowerCommands)
{
    ASSERT_EQ(Load(1234), 0u);
    ASSERT_TRUE(machine->Start());
    ASSERT_TRUE(harness.host.RunUntil([&]() { return CommandsStartingWith(Wire(), "^ew").size() == 50; }, kLong));
    EXPECT_TRUE(machine->Cancel());
    ASSERT_TRUE(harness.RunUntilIdle(*machine));
    EXPECT_EQ(machine->ResultCode(), Result::Cancelled);
    EXPECT_EQ(CommandsStartingWith(Wire(), "^ew").size(), 50);
    EXPECT_TRUE(CommandsStartingWith(Wire(), "^on").isEmpty());
    EXPECT_EQ(ConfigRestoreReport::Aftermath(*machine, machine->ResultCode()), QString()); // the cancel's own
}

TEST_F(ConfigRestore, NoAnswerAfterThePowerCommandFailsTheRestore)
{
    const auto data = Bytes(16, 1);
    machine->StoreBlock(0x100, 16, data.data());
    harness.device->SetCommandHandler("on", [&](const QByteArray&) {
        harness.device->GetFaults().silent = true;
        return QByteArray();
    });
    EXPECT_EQ(Run(), Result::NoResponseAfterReset);
    EXPECT_TRUE(CommandsStartingWith(Wire(), "^on1").isEmpty());
    EXPECT_TRUE(ConfigRestoreReport::Aftermath(*machine, Result::NoResponseAfterReset).startsWith("Every block was written"));
}

TEST_F(ConfigRestore, DroppedAnswersAndCorruptedBytesStillGiveTheSameMemory)
{
    const QByteArray before = harness.device->Eeprom();
    ASSERT_EQ(Load(1234, 21), 0u);
    harness.device->GetFaults().dropAnswerProbability = 0.05;
    harness.device->GetFaults().corruptByteProbability = 0.002;
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(harness.device->Eeprom(), Expected(before, 21, false));
    EXPECT_GT(CommandsStartingWith(Wire(), "^ew").size(), 0x37FF0 / 64 + 200);
}

namespace {
struct ReadBackCase {
    const char* name;
    int storedWrong; // times the amplifier takes the block at 0x2000 with two damaged digits
    DWORD result;
    DWORD rewritten;
};

class ConfigRestoreReadBack : public ConfigRestore, public testing::WithParamInterface<ReadBackCase> { };
} // namespace

TEST_P(ConfigRestoreReadBack, AfterALostAnswerEveryBlockIsReadBackBeforeTheRestart)
{
    const ReadBackCase& c = GetParam();
    const QByteArray before = harness.device->Eeprom();
    ASSERT_EQ(Load(1234), 0u);
    // A write whose damage cancels out in its check byte is taken and acknowledged, wrong.
    int wrong = c.storedWrong;
    harness.device->SetCommandHandler("ew", [&](const QByteArray& command) {
        const DWORD address = command.mid(3, 8).toUInt(nullptr, 16);
        const DWORD count = command.mid(11, 2).toUInt(nullptr, 16);
        QByteArray data = QByteArray::fromHex(command.mid(13, 2 * count));
        if (address == 0x2000 && wrong-- > 0) {
            data[0] = static_cast<char>(data[0] + 1);
            data[1] = static_cast<char>(data[1] - 1);
        }
        harness.device->Eeprom().replace(address, count, data);
        return "^EW" + Eeprom::BuildReadCommand(address, count).mid(3);
    });
    harness.device->GetFaults().dropAnswerNumber = 300;
    EXPECT_EQ(Run(), c.result);
    EXPECT_EQ(machine->Link().m_rewrittenBlocks, c.rewritten);
    const QList<QByteArray> commands = Commands(Wire());
    const qsizetype lastRead = commands.lastIndexOf(Eeprom::BuildReadCommand(0x37FC0, 64));
    EXPECT_EQ(commands.contains("^on0;"), c.result == 0);
    if (c.result == 0) {
        EXPECT_EQ(harness.device->Eeprom(), Expected(before, 11, false));
        EXPECT_EQ(CommandsStartingWith(Wire(), "^er").size(), qsizetype(machine->RecordCount() + c.rewritten));
        EXPECT_EQ(commands.indexOf("^on0;"), lastRead + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Amplifiers, ConfigRestoreReadBack,
    testing::Values(ReadBackCase {"StoringRight", 0, 0, 0}, ReadBackCase {"StoringOneBlockWrongOnce", 1, 0, 1},
        ReadBackCase {"StoringOneBlockWrongEveryTime", 100, Result::ReadBackDiffers, 1}),
    [](const auto& info) { return std::string(info.param.name); });
