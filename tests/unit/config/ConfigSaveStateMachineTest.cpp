#include "config/ConfigSaveStateMachine.h"
#include "ConfigTestSupport.h"
#include "RowName.h"
#include "SimHarness.h"
#include "config/ConfigSaveCompletion.h"
#include "config/LinkSummary.h"
#include "link/EepromBlock.h"
#include "model/ResultCode.h"
#include <gtest/gtest.h>

namespace {
using ::operator<<;
constexpr std::uint64_t kLong = 24ull * 3600 * 1000;

// The simulated amplifier's own answer to a read command, optionally with a damaged check byte.
QByteArray SimReadAnswer(CSimDevice& device, const QByteArray& command, int checkDelta = 0)
{
    if (command.size() != 16)
        return {};
    bool ok1 = false, ok2 = false;
    const DWORD address = command.mid(3, 8).toUInt(&ok1, 16);
    const DWORD count = command.mid(11, 2).toUInt(&ok2, 16);
    if (!ok1 || !ok2 || address + count > Eeprom::kSize)
        return {};
    const auto* data = reinterpret_cast<const BYTE*>(device.Eeprom().constData() + address);
    QByteArray answer = "^ER" + Eeprom::BuildWriteCommand(address, count, data).mid(3);
    if (checkDelta != 0) {
        const int check = answer.mid(answer.size() - 3, 2).toInt(nullptr, 16);
        answer.replace(
            answer.size() - 3, 2, QByteArray::number((check + checkDelta) & 0xFF, 16).toUpper().rightJustified(2, '0'));
    }
    return answer;
}

class ConfigSave : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(harness.Connect());
        harness.device->ClearLogs();
        machine = harness.model->CreateMachine<CConfigSaveStateMachine>();
        ASSERT_NE(machine, nullptr);
    }
    QByteArray Image() const { return QByteArray(reinterpret_cast<const char*>(machine->GetData(0)), 0x40000); }
    QByteArray Wire() const { return harness.device->ReceivedLog(); }
    DWORD Run(std::uint64_t limit = kLong)
    {
        EXPECT_TRUE(machine->Start());
        EXPECT_TRUE(harness.RunUntilIdle(*machine, limit));
        return machine->ResultCode();
    }

    CSimHarness harness;
    CConfigSaveStateMachine* machine = nullptr;
};
} // namespace

// The states in their order, a start while busy and a cancel while idle refused, progress by
// the bytes of each block, and the finish delay.
TEST_F(ConfigSave, ReadsTheWholeMemoryInto64ByteBlocks)
{
    CCompletionRecorder completion(*harness.model);
    CProgressRecorder progress(*harness.model);
    harness.model->m_trace.m_value = 1;
    EXPECT_FALSE(machine->Cancel());
    ASSERT_TRUE(machine->Start());
    EXPECT_FALSE(machine->Start());
    ASSERT_TRUE(harness.RunUntilIdle(*machine, kLong));
    ASSERT_EQ(machine->ResultCode(), 0u);
    EXPECT_EQ(Image(), harness.device->Eeprom());
    EXPECT_EQ(machine->GetTotalSize(), 0x40000u);
    const QList<QByteArray> commands = Commands(Wire());
    // Every block read twice: a single reading cannot tell a cancelling pair from the truth.
    ASSERT_EQ(commands.size(), 3 + 2 * 4096);
    EXPECT_EQ(commands.mid(0, 6), (QList<QByteArray> {";", "^I;", "^cf;", "^er0000000040C0;", "^er0000000040C0;",
                                      "^er000000404080;"}));
    EXPECT_EQ(commands.back(), "^er0003FFC040FE;");
    EXPECT_EQ(harness.sink.trace.filter("Timer Elapsed"),
        (QStringList {"CacheFlushState Timer Elapsed  10 ms", "DelayFinishProgressState Timer Elapsed 700 ms"}));
    EXPECT_EQ(harness.sink.trace.filter(" Send ").value(3), "ConfigSaveLoopBodyState Send \"^er0000000040C0;\"");
    EXPECT_EQ(completion.results, QList<DWORD> {0});
    EXPECT_EQ(harness.model->m_progressRange.m_value, 0x40000u);
    ASSERT_EQ(progress.positions.size(), 1 + 4096);
    for (int i = 0; i <= 4096; ++i)
        ASSERT_EQ(progress.positions[i], static_cast<DWORD>(i) * 64) << i;
    EXPECT_EQ(harness.model->m_firmwareStatus.m_value, FirmwareApplication);
}

TEST_F(ConfigSave, EachBlockHasItsOwnTenSends)
{
    // Nine lost answers for each of two blocks: both are read on their tenth send.
    QMap<QByteArray, int> calls;
    harness.device->SetCommandHandler("er", [&](const QByteArray& command) {
        const bool lose
            = (command.startsWith("^er00001000") || command.startsWith("^er00020000")) && ++calls[command] < 10;
        return lose ? QByteArray() : SimReadAnswer(*harness.device, command);
    });
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(Image(), harness.device->Eeprom());
    EXPECT_EQ(CommandsStartingWith(Wire(), "^er").size(), 2 * 4096 + 18);
}

TEST_F(ConfigSave, BlockUnansweredTenTimesEndsTheSave)
{
    harness.device->SetCommandHandler("er", [&](const QByteArray& command) {
        return command.startsWith("^er00001000") ? QByteArray() : SimReadAnswer(*harness.device, command);
    });
    CCompletionRecorder completion(*harness.model);
    EXPECT_EQ(Run(), Result::NoReadBlockResponse);
    EXPECT_EQ(CommandsStartingWith(Wire(), "^er00001000").size(), 10);
    EXPECT_EQ(CommandsStartingWith(Wire(), "^er").size(), 2 * 0x1000 / 64 + 10);
    EXPECT_EQ(completion.results, QList<DWORD> {Result::NoReadBlockResponse});
    EXPECT_EQ(harness.model->m_firmwareStatus.m_value, FirmwareNone);
}

// What answers the identify query decides whether the memory is read at all.
struct IdentityRow {
    const char* name;
    const char* answer;
    DWORD result;
    qsizetype identifies;
    int firmwareStatus;
};

class ConfigSaveIdentity : public ConfigSave, public testing::WithParamInterface<IdentityRow> { };

TEST_P(ConfigSaveIdentity, IsNotReadAndNotReportedAsSaved)
{
    const QByteArray answer = GetParam().answer;
    harness.device->SetCommandHandler("i", [answer](const QByteArray&) { return answer; });
    EXPECT_EQ(Run(), GetParam().result);
    EXPECT_EQ(CommandsStartingWith(Wire(), "^I;").size(), GetParam().identifies);
    EXPECT_TRUE(CommandsStartingWith(Wire(), "^cf").isEmpty());
    EXPECT_TRUE(CommandsStartingWith(Wire(), "^er").isEmpty());
    EXPECT_EQ(harness.model->m_firmwareStatus.m_value, GetParam().firmwareStatus);
}

INSTANTIATE_TEST_SUITE_P(Amplifiers, ConfigSaveIdentity,
    testing::Values(IdentityRow {"NeverIdentifying", "", Result::NoIdentifyResponse, 10, FirmwareNone},
        IdentityRow {"OfAnotherKind", "^IQRO800;", Result::UnexpectedDevice, 1, FirmwareNone},
        IdentityRow {"InItsBootLoader", "^Iqro4000;", Result::UnexpectedDevice, 1, FirmwareBootLoader}),
    [](const auto& info) { return std::string(info.param.name); });

// A cancel stops at the next send, keeps the amplifier known, writes no file and keeps an
// earlier one.
TEST_F(ConfigSave, CancelledSaveWritesNoFileAndKeepsAnEarlierOne)
{
    const QString fresh = harness.TempPath("fresh.QRO4000Config");
    const QString earlier = harness.TempPath("earlier.QRO4000Config");
    ASSERT_TRUE(WriteWholeFile(earlier, "earlier\r\n"));
    ASSERT_TRUE(machine->Start());
    ASSERT_TRUE(harness.host.RunUntil([&]() { return CommandsStartingWith(Wire(), "^er").size() == 100; }, kLong));
    EXPECT_TRUE(machine->Cancel());
    ASSERT_TRUE(harness.RunUntilIdle(*machine));
    EXPECT_EQ(machine->ResultCode(), Result::Cancelled);
    EXPECT_EQ(CommandsStartingWith(Wire(), "^er").size(), 100);
    EXPECT_EQ(harness.model->m_firmwareStatus.m_value, FirmwareApplication);
    const QDateTime stamp = QDateTime::currentDateTime();
    for (const QString& path : {fresh, earlier}) {
        QString message;
        EXPECT_EQ(CompleteConfigSave(*harness.model, *machine, machine->ResultCode(), path, stamp, &message),
            Result::Cancelled);
        EXPECT_TRUE(message.isEmpty());
    }
    EXPECT_FALSE(QFile::exists(fresh));
    EXPECT_EQ(ReadWholeFile(earlier), "earlier\r\n");
}

TEST_F(ConfigSave, DroppedAnswersAndCorruptedBytesStillGiveTheSameFile)
{
    // One byte in a thousand damaged: about one read answer in seven fails its check.
    harness.device->GetFaults().dropAnswerProbability = 0.05;
    harness.device->GetFaults().corruptByteProbability = 0.001;
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(Image(), harness.device->Eeprom());
    EXPECT_GT(CommandsStartingWith(Wire(), "^er").size(), 2 * 4096 + 150);
    const QString path = harness.TempPath("noisy.QRO4000Config");
    const QDateTime stamp(QDate(2024, 1, 5), QTime(13, 45, 1));
    ASSERT_EQ(CompleteConfigSave(*harness.model, *machine, 0, path, stamp, nullptr), 0u);
    const CReadOutcome read = ReadText(ReadWholeFile(path));
    EXPECT_EQ(read.image.Bytes(), harness.device->Eeprom());
    EXPECT_EQ(read.info.serialNumber, 1234);
    EXPECT_EQ(read.info.firmwareRevision, "01.53");
}

TEST_F(ConfigSave, ACancellingPairOnACleanLineIsNotTaken)
{
    // The twelfth answer (the tenth read, the fifth block's second reading) carries two damaged
    // digits that its check byte cannot see: the block is read a third time.
    harness.device->GetFaults().corruptPairNumber = 12;
    ASSERT_EQ(Run(), 0u);
    EXPECT_EQ(Image(), harness.device->Eeprom());
    EXPECT_EQ(CommandsStartingWith(Wire(), "^er").size(), 2 * 4096 + 1);
    EXPECT_EQ(CommandsStartingWith(Wire(), "^er0000010040BF;").size(), 3);
    EXPECT_EQ(LinkSummary::SaveLine(machine->Link()).toStdString(),
        "Blocks whose two readings differed, read until two agreed: 1");
}
