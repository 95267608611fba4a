// The configuration dialogs in virtual time: real widgets, the file dialog answered by the test.
#include "SimHarness.h"
#include "TestFiles.h"
#include "config/ConfigFileReader.h"
#include "config/ConfigFileWriter.h"
#include "config/ConfigImage.h"
#include "config/ui/ConfigRestoreDlg.h"
#include "model/ResultCode.h"
#include "ui/ConfigSaveDlg.h"
#include <QDir>
#include <QFile>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
constexpr std::uint64_t kLong = 24ull * 3600 * 1000;

// Remembers what the dialog offered and answers with a fixed path.
struct CChooser {
    QString answer;
    QString offered;
    ConfigFileChooser Get()
    {
        return [this](QWidget*, const QString& o, const QString&) {
            offered = o;
            return answer;
        };
    }
};

class ConfigDialogs : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(harness.Connect());
        harness.device->ClearLogs();
        harness.sink.status.clear();
    }
    bool RunToEnd()
    {
        IStateMachine* machine = harness.model->RunningMachine();
        return machine && harness.RunUntilIdle(*machine, kLong);
    }
    QByteArray Wire() const { return harness.device->ReceivedLog(); }
    // A file of this amplifier holding `pattern` in every byte of the memory.
    QString PatternFile(const QString& name, char pattern)
    {
        class CFill : public IConfigMemorySource {
        public:
            explicit CFill(char c) : bytes(0x40000, c) {}
            const BYTE* GetData(DWORD address, DWORD) const override
            {
                return reinterpret_cast<const BYTE*>(bytes.constData()) + address;
            }
            QByteArray bytes;
        } fill(pattern);
        CConfigFileHeader header;
        header.timeStamp = QDateTime(QDate(2024, 2, 3), QTime(4, 5, 6));
        header.serialNumber = 1234;
        header.firmwareRevision = 153;
        const QString path = harness.TempPath(name);
        EXPECT_EQ(WriteConfigFile(header, path, fill), 0u);
        return path;
    }

    CSimHarness harness;
    CChooser chooser;
};
}  // namespace

TEST_F(ConfigDialogs, SaveWritesTheFileAndRemembersItsFolder)
{
    QDir(harness.TempPath("saves")).mkpath(".");
    chooser.answer = harness.TempPath("saves/a.QRO4000Config");
    CConfigSaveDlg dialog(harness.model.get(), &harness.sink, nullptr, chooser.Get());
    dialog.Begin();
    EXPECT_EQ(dialog.WaitCount(), 1u);
    EXPECT_EQ(dialog.cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(dialog.CancelButton()->cursor().shape(), Qt::ArrowCursor);
    ASSERT_TRUE(RunToEnd());
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(dialog.WaitCount(), 0u);
    EXPECT_EQ(dialog.ProgressBar()->maximum(), 0x40000);
    EXPECT_EQ(dialog.ProgressBar()->value(), 0x40000);
    EXPECT_TRUE(harness.sink.status.contains("Configuration was saved"));
    EXPECT_EQ(harness.sink.status.last(), "Saved to " + QDir::toNativeSeparators(chooser.answer));
    EXPECT_EQ(harness.model->m_configurationFolder.m_value, QDir::toNativeSeparators(harness.TempPath("saves")));
    EXPECT_EQ(ReadConfigFile(chooser.answer, 1234, nullptr, nullptr), 0u);
}

// The default name is offered; a cancelled file dialog, and a destination that cannot take the
// file (checked before a minute of reading), send nothing; the dialog says why and Enter closes it.
TEST_F(ConfigDialogs, SaveThatCannotBeginSendsNothing)
{
    const QString fifo = harness.TempPath("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString& path : {QString(), fifo}) {
        chooser.answer = path;
        CConfigSaveDlg dialog(harness.model.get(), &harness.sink, nullptr, chooser.Get());
        dialog.Begin();
        if (path.isEmpty()) {
            const QString name = dialog.TimeStamp().toString("'SN01234.'yyyyMMdd'T'HHmmss'.QRO4000Config'");
            EXPECT_EQ(chooser.offered, QDir(harness.model->DefaultConfigurationFolder()).filePath(name));
            EXPECT_EQ(dialog.result(), 2);
            continue;
        }
        const QString reason = fifo + " is not a regular file";
        EXPECT_TRUE(dialog.OutcomeText().startsWith("Failed to save configuration\n" + reason))
            << dialog.OutcomeText().toStdString();
        ASSERT_EQ(harness.sink.messages.size(), 1);
        EXPECT_TRUE(harness.sink.messages[0].startsWith("Save Configuration Error: " + reason));
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Return);
        EXPECT_EQ(dialog.result(), 3);
    }
    harness.host.RunUntilIdle(10000);
    EXPECT_TRUE(Wire().isEmpty());
}

TEST_F(ConfigDialogs, RestoreWritesTheFileIntoTheAmplifier)
{
    chooser.answer = PatternFile("p.QRO4000Config", '\x5A');
    CConfigRestoreDlg dialog(harness.model.get(), &harness.sink, nullptr, chooser.Get());
    dialog.Begin();
    EXPECT_EQ(chooser.offered, harness.model->DefaultConfigurationFolder());
    // What will be written is asked about first.
    ASSERT_EQ(harness.sink.questions.size(), 1);
    EXPECT_TRUE(harness.sink.questions[0].startsWith("Restore QRO4000 Configuration: File: " + chooser.answer));
    EXPECT_EQ(dialog.WaitCount(), 1u);
    ASSERT_TRUE(RunToEnd());
    EXPECT_TRUE(harness.sink.status.contains("Configuration was restored"));
    EXPECT_EQ(dialog.CancelButton()->text(), "Close");
    // The outcome stays in view until the dialog is closed.
    EXPECT_EQ(dialog.result(), 0);
    EXPECT_EQ(dialog.OutcomeText(), "Configuration was restored from " + chooser.answer + ".");
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), 1);
    EXPECT_EQ(dialog.ProgressBar()->value(), 0x37FF0);
    EXPECT_EQ(harness.device->Eeprom().mid(0x1000, 64), QByteArray(64, '\x5A'));
    EXPECT_EQ(harness.model->m_configurationFolder.m_value, QDir::toNativeSeparators(harness.dir.path()));
}

// The question answered No, or a file altered since it was saved: nothing is written, and an
// altered file is refused with its reason.
TEST_F(ConfigDialogs, RestoreThatCannotBeginSendsNothing)
{
    harness.sink.answerYes = false;
    for (const bool altered : {false, true}) {
        chooser.answer = PatternFile("r.QRO4000Config", '\x11');
        if (altered) {
            QByteArray text = ReadWholeFile(chooser.answer);
            text[text.indexOf("MEM4 00001000 40 ") + 17] = '2';
            ASSERT_TRUE(WriteWholeFile(chooser.answer, text));
        }
        CConfigRestoreDlg dialog(harness.model.get(), &harness.sink, nullptr, chooser.Get());
        dialog.Begin();
        EXPECT_EQ(dialog.result(), altered ? 3 : 2);
        EXPECT_EQ(harness.sink.status.value(harness.sink.status.size() - 1) == "Nothing was written.", !altered);
        ASSERT_EQ(harness.sink.messages.size(), altered ? 1 : 0);
        EXPECT_TRUE(!altered || harness.sink.messages[0].startsWith("Restore Configuration Error: The configuration file "
                                                                    "has been altered after it was saved."));
        harness.host.RunUntilIdle(60000);
        EXPECT_TRUE(Wire().isEmpty());
    }
}

// Cancel or Escape in the middle of a restore asks first: No goes on to the end, Yes stops
// and warns that the amplifier must be switched off and on.
TEST_F(ConfigDialogs, InterruptingTheRestoreAsksFirst)
{
    for (const bool yes : {false, true}) {
        CSimHarness local;
        ASSERT_TRUE(local.Connect());
        chooser.answer = PatternFile("i.QRO4000Config", '\x22');
        CConfigRestoreDlg dialog(local.model.get(), &local.sink, nullptr, chooser.Get());
        dialog.Begin();
        ASSERT_TRUE(local.host.RunUntil([&]() { return local.device->ReceivedLog().count("^ew") == 30; }, kLong));
        local.sink.answerYes = yes;
        if (yes)
            QTest::keyClick(&dialog, Qt::Key_Escape);
        else
            QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
        EXPECT_EQ(local.sink.questions.last(),
            "Critical Operation in Progress: Are you sure you wish to interrupt configuration restore?");
        ASSERT_TRUE(local.RunUntilIdle(*local.model->RunningMachine(), kLong));
        EXPECT_EQ(dialog.ResultCode(), yes ? Result::Cancelled : 0u);
        EXPECT_EQ(local.device->ReceivedLog().count("^on1;"), yes ? 0 : 1);
        EXPECT_EQ(local.sink.messages.size(), yes ? 1 : 0); // the warning to switch off and on
    }
}
