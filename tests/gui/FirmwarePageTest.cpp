// The Firmware page on the simulated amplifier in virtual time, the loader dialog shown without a modal loop.
#include "firmware/ui/FirmwarePage.h"
#include "MainFrameFixture.h"
#include "SimHarness.h"
#include "TestFiles.h"
#include "firmware/FileNameParts.h"
#include "firmware/ui/FtpDlg.h"
#include "firmware/ui/McuLoaderDlg.h"
#include "model/ResultCode.h"
#include "sim/SimFirmwareImage.h"
#include "ui/OutputWindow.h"
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBlock>

namespace {

// A demonstration image that the simulated amplifier reports as the revision of its name.
void WriteImage(const QString& folder, const QString& name)
{
    ASSERT_TRUE(
        WriteWholeFile(QDir(folder).filePath(name), SimFirmwareImage::MakeHexImage(FileNameParts::Revision(name))));
}

class FirmwarePage : public ::testing::Test {
protected:
    void SetUp() override { Make(CSimHarness::DefaultOptions()); }

    void Make(const CSimDevice::Options& options)
    {
        page.reset(); // it observes the model that goes next
        h = std::make_unique<CSimHarness>(options);
        folder = h->TempPath("firmware");
        QDir().mkpath(folder);
        h->model->m_firmwareFolder.Set(folder);
        page = std::make_unique<CFirmwarePage>(h->model.get(), &prompt);
        page->SetLoaderRunner([this](CFirmwarePage&) { return RunLoader(); });
        page->SetBackupRunner([this](CFirmwarePage&, const QString&, DWORD* result) {
            *result = backupResult;
            return backupAnswer;
        });
    }

    // The real loader dialog, shown without a modal loop; the test's clock runs the load.
    DWORD RunLoader()
    {
        ++loads;
        CMcuLoaderDlg dialog(h->model.get(), &prompt);
        dialog.show();
        QCoreApplication::processEvents();
        IStateMachine* machine = h->model->RunningMachine();
        if (!machine)
            return Result::GenFailure;
        EXPECT_TRUE(h->RunUntilIdle(*machine, 60ull * 60 * 1000));
        QCoreApplication::processEvents();
        return dialog.ResultCode();
    }

    void WriteFirmware(const QString& name) { WriteImage(folder, name); }
    void Send() { QTest::mouseClick(page->SendButton(), Qt::LeftButton); }
    QString LogText() const { return page->ActivityLog()->toPlainText(); }

    std::unique_ptr<CSimHarness> h;
    CScriptedPrompt prompt;
    std::unique_ptr<CFirmwarePage> page;
    QString folder;
    int backupAnswer = 1;
    DWORD backupResult = 0;
    int loads = 0;
};

// The file server has a button of its own; the loader window says what it is about before the
// loader's first line; a copy that cannot connect names its error once, and shows no byte count
// before it knows a file's size.
TEST_F(FirmwarePage, ServerButtonLoaderWindowAndCopyErrorsSaySomething)
{
    page->show();
    EXPECT_TRUE(page->FileServerButton()->isVisible());
    EXPECT_EQ(page->FileServerButton()->text(), "File Server...");
    CMcuLoaderDlg loader(h->model.get(), &prompt);
    EXPECT_TRUE(loader.findChild<COutputWindow*>("log")->toPlainText().endsWith("Preparing to send firmware...\n"));

    h->model->m_fileServer.Set(QStringLiteral("ftp://127.0.0.1:1"));
    CFtpDlg copy(h->model.get(), folder);
    auto* bar = copy.findChild<QProgressBar*>("progress");
    copy.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return copy.findChild<QPushButton*>("cancel")->text() == "Close"; }, 20000));
    const QString log = copy.findChild<COutputWindow*>("log")->toPlainText();
    EXPECT_EQ(log.count("0x00002EFD"), 1) << qPrintable(log);
    EXPECT_FALSE(bar->isTextVisible()) << qPrintable(bar->text());
}

TEST_F(FirmwarePage, AMissingFolderIsStoodInForByTheDefaultAndKept)
{
    const QString stick = h->TempPath("usb-stick/firmware");
    h->model->m_firmwareFolder.Set(stick);
    WriteImage(h->model->DefaultFirmwareFolder(), "qro4000fw0154.hex");
    page->OnPageShown();
    EXPECT_EQ(page->AvailableText()->text(), QStringLiteral("01.54"));
    EXPECT_FALSE(page->FolderNote()->isHidden());
    EXPECT_TRUE(page->FolderNote()->text().startsWith("The folder " + stick + " is not there now"));
    EXPECT_TRUE(LogText().contains("serves this time, and the folder stays chosen for next time.\n"));
    EXPECT_EQ(h->model->m_firmwareFolder.m_value, stick);
    // The stick is back: its own folder serves again.
    QDir().mkpath(stick);
    page->RefreshAvailable(false);
    EXPECT_TRUE(page->FolderNote()->isHidden());
    EXPECT_EQ(page->AvailableText()->text(), QStringLiteral("Missing"));
}

TEST_F(FirmwarePage, CheckRevisionNowAsksTheAmplifierAndLogsWhatItFound)
{
    // Nothing in contact: the button is greyed out and says why.
    EXPECT_FALSE(page->CheckButton()->isEnabled());
    EXPECT_TRUE(page->CheckButton()->toolTip().startsWith(QStringLiteral("No amplifier in contact")));
    WriteFirmware("qro4000fw0160.hex");
    EXPECT_EQ(page->OrderText()->text(), QString()); // nothing installed to compare with yet
    ASSERT_TRUE(h->Connect());
    page->RefreshAvailable(false);
    EXPECT_EQ(page->AvailableText()->text(), QStringLiteral("01.60"));
    EXPECT_EQ(page->OrderText()->text(), QStringLiteral("newer"));
    h->model->m_firmwareRevision.Set(0);
    h->device->ClearLogs();
    page->ActivityLog()->ClearOutput();
    QTest::mouseClick(page->CheckButton(), Qt::LeftButton);
    EXPECT_TRUE(LogText().isEmpty()); // the query is running
    ASSERT_TRUE(h->RunUntilIdle(*h->model->ContactMachine()));
    page->UpdateButtons();
    EXPECT_EQ(h->device->ReceivedLog(), QByteArray("^rv;^sn;"));
    EXPECT_EQ(LogText().remove(QRegularExpression("(?m)^\\d\\d:\\d\\d:\\d\\d ")),
        "Installed in QRO4000:  01.53\nFirmware folder:       " + folder
            + "\nNewest firmware file:  qro4000fw0160.hex (revision 01.60)\nA newer firmware revision is available\n");
}

// A file the loader cannot use is refused with an error box before anything reaches the amplifier.
TEST_F(FirmwarePage, AFileWithNothingToLoadSendsNothing)
{
    ASSERT_TRUE(WriteWholeFile(
        QDir(folder).filePath("qro4000fw0154.hex"), ":020000041D08D5\r\n:0100000001FE\r\n:00000001FF\r\n"));
    ASSERT_TRUE(h->Connect());
    h->device->ClearLogs();
    Send();
    EXPECT_TRUE(prompt.questions.empty());
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].caption, QStringLiteral("Error"));
    EXPECT_TRUE(prompt.messages[0].text.startsWith("Refused: no data for the firmware area in " + folder))
        << prompt.messages[0].text.toStdString();
    EXPECT_EQ(loads, 0);
    EXPECT_EQ(h->device->ReceivedLog(), QByteArray());
}

// How the questions before a load are answered, and what is sent then.
struct QuestionCase {
    const char* name;
    const char* file;
    std::deque<bool> answers;
    std::vector<const char*> captions;
    int loads;
    const char* logged;
    friend void PrintTo(const QuestionCase& c, std::ostream* os) { *os << c.name; }
};

constexpr const char* kBackup = "Save Configuration Before Loading Firmware";
constexpr const char* kOlder = "Send Older Firmware";

class FirmwarePageQuestions : public FirmwarePage, public ::testing::WithParamInterface<QuestionCase> { };

TEST_P(FirmwarePageQuestions, DecideTheLoad)
{
    WriteFirmware(GetParam().file);
    ASSERT_TRUE(h->Connect());
    prompt.answers = GetParam().answers;
    Send();
    ASSERT_EQ(prompt.questions.size(), GetParam().captions.size());
    for (std::size_t i = 0; i < prompt.questions.size(); ++i)
        EXPECT_EQ(prompt.questions[i].caption, QString::fromLatin1(GetParam().captions[i]));
    EXPECT_TRUE(std::string(GetParam().captions[0]) != kOlder
        || prompt.questions[0].text
            == "qro4000fw0150.hex is revision 01.50, older than revision 01.53 now installed in "
               "the QRO4000.\r\nSending it puts the older firmware back. Send the older "
               "revision anyway?")
        << prompt.questions[0].text.toStdString();
    EXPECT_EQ(loads, GetParam().loads);
    EXPECT_TRUE(LogText().contains(QString::fromLatin1(GetParam().logged))) << LogText().toStdString();
    // A load sends the newest file of the folder, and the page then shows what runs.
    EXPECT_TRUE(loads == 0
        || (LogText().contains(QRegularExpression("Sending firmware from .*Elapsed time: \\d+ seconds\\n$",
                QRegularExpression::DotMatchesEverythingOption))
            && page->InstalledText()->text() == page->AvailableText()->text()))
        << LogText().toStdString();
    EXPECT_TRUE(page->SendButton()->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(Answers, FirmwarePageQuestions,
    ::testing::Values(
        QuestionCase {"BackupSavedSends", "qro4000fw0154.hex", {true}, {kBackup}, 1, "Configuration saved to "},
        QuestionCase {"OlderRevisionDeclinedSendsNothing", "qro4000fw0150.hex", {false}, {kOlder}, 0,
            "Firmware load not started\n"},
        QuestionCase {"OlderRevisionConfirmedSends", "qro4000fw0150.hex", {true, false}, {kOlder, kBackup}, 1,
            "Configuration backup skipped\n"}),
    [](const ::testing::TestParamInfo<QuestionCase>& info) { return std::string(info.param.name); });

TEST_F(FirmwarePage, FailedLoadLooksForTheAmplifierAgain)
{
    WriteFirmware("qro4000fw0154.hex");
    ASSERT_TRUE(h->Connect());
    prompt.answers = {false};
    h->device->GetFaults().neverEchoD = true;
    Send();
    EXPECT_EQ(loads, 1);
    // The amplifier waits in its boot loader: contact finds it there, ready for another load,
    // which offers no backup of a configuration the boot loader does not have.
    ASSERT_TRUE(h->RunUntilIdle(*h->model->ContactMachine()));
    EXPECT_EQ(h->model->m_firmwareStatus.m_value, FirmwareBootLoader);
    h->device->GetFaults().neverEchoD = false;
    Send();
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(page->InstalledText()->text(), QStringLiteral("01.54"));
}

TEST_F(FirmwarePage, ActivityLogKeepsItsNewestLinesWithinTheLimit)
{
    const QString line(1000, QChar('x'));
    for (int i = 0; i < 2200; ++i)
        page->AppendActivityLine(line + QString::number(i));
    const QTextDocument* document = page->ActivityLog()->document();
    EXPECT_LE(document->characterCount(), CFirmwarePage::kLogLimit);
    EXPECT_TRUE(page->ActivityLog()->toPlainText().endsWith(line + "2199\n"));
    // Whole lines go: the first one left starts with its time.
    EXPECT_TRUE(document->firstBlock().text().contains(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d x")));
}
} // namespace
