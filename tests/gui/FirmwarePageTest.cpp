// The Firmware page: on the simulated amplifier in virtual time with the loader dialog shown
// without a modal loop, and once in the main window in real time.
#include "firmware/ui/FirmwarePage.h"
#include "../unit/firmware/HexTestFiles.h"
#include "FtpTestServer.h"
#include "GuiTestSupport.h"
#include "MainFrameFixture.h"
#include "SimHarness.h"
#include "firmware/McuLoaderStateMachine.h"
#include "firmware/ui/FtpDlg.h"
#include "firmware/ui/McuLoaderDlg.h"
#include "link/ContactStateMachineInterface.h"
#include "model/ResultCode.h"
#include "ui/OutputWindow.h"
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
constexpr std::uint64_t kLimitMs = 60ull * 60 * 1000;

QByteArray SmallImage()
{
    QByteArray text = CHexTestFiles::Record(4, 0, {0x1D, 0x00});
    text += CHexTestFiles::Record(0, 0, {1, 2, 3, 4, 5, 6, 7, 8});
    return text + ":00000001FF\r\n";
}

class FirmwarePage : public ::testing::Test {
protected:
    void SetUp() override
    {
        CSimDevice::Options options = CSimHarness::DefaultOptions();
        options.revisionAfterLoad = 154;
        h = std::make_unique<CSimHarness>(options);
        folder = h->TempPath("firmware");
        QDir().mkpath(folder);
        h->model->m_firmwareFolder.Set(folder);
        page = std::make_unique<CFirmwarePage>(h->model.get(), &prompt);
        page->SetLoaderRunner([this](CFirmwarePage&) { return RunLoader(); });
        page->SetBackupRunner([this](CFirmwarePage&, const QString& fileName, DWORD* result) {
            backups << fileName;
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
        EXPECT_TRUE(h->RunUntilIdle(*machine, kLimitMs));
        QCoreApplication::processEvents();
        return dialog.ResultCode();
    }

    void WriteFirmware(const QString& name)
    {
        QFile file(QDir(folder).filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(SmallImage());
    }
    QString LogText() const { return page->ActivityLog()->toPlainText(); }

    std::unique_ptr<CSimHarness> h;
    CScriptedPrompt prompt;
    std::unique_ptr<CFirmwarePage> page;
    QString folder;
    QStringList backups;
    int backupAnswer = 1;
    DWORD backupResult = 0;
    int loads = 0;
};

TEST_F(FirmwarePage, ControlsTextsAndTooltips)
{
    EXPECT_EQ(page->HelpTopic(), QStringLiteral("Firmware.htm"));
    EXPECT_EQ(CFirmwarePage::kTabIndex, 1);
    EXPECT_EQ(page->FolderEdit()->maxLength(), 260);
    EXPECT_EQ(page->FolderEdit()->text(), folder);
    EXPECT_EQ(page->DefaultButton()->toolTip(),
        QStringLiteral("Choose ...\\Application Data\\Brimwell\\QRO4000 Firmware folder"));
    EXPECT_EQ(page->BrowseButton()->toolTip(), QStringLiteral("Browse for a different firmware folder"));
    // No amplifier in contact: the two buttons that need one say so instead of what they do.
    EXPECT_TRUE(page->CheckButton()->toolTip().startsWith(QStringLiteral("No amplifier in contact")));
    EXPECT_TRUE(page->SendButton()->toolTip().startsWith(QStringLiteral("No amplifier in contact")));
    EXPECT_EQ(page->SendButton()->text(), QStringLiteral("Send Firmware to QRO4000"));
    EXPECT_TRUE(page->CopyButton()->isEnabled());
    EXPECT_EQ(page->CopyButton()->toolTip(), QStringLiteral("Get new firmware from Brimwell file server"));
    EXPECT_EQ(page->InstalledText()->text(), QStringLiteral("??.??"));
    EXPECT_EQ(page->AvailableText()->text(), QStringLiteral("Missing"));
    page->resize(700, 500);
    GuiTest::SaveScreenshot(page.get(), "FirmwarePage");
}

TEST_F(FirmwarePage, CopyNewFilesFetchesTheNewerFirmwareAndShowsItsRevision)
{
    CFtpTestServer server;
    ASSERT_TRUE(server.IsRunning());
    WriteFirmware("qro4000fw0150.hex");
    page->RefreshAvailable(false);
    ASSERT_EQ(page->AvailableText()->text(), QStringLiteral("01.50"));
    server.Put("qro4000fw0160.hex", SmallImage());
    server.Put("qro4000fw0170.hex", "not a hex file");
    h->model->m_fileServer.Set(server.Url());
    // A copy that succeeds closes its window; one that fails stays open to be read: Close it.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [] {
        auto* dialog = qobject_cast<CFtpDlg*>(QApplication::activeModalWidget());
        if (dialog && dialog->Download().GetState() == CFirmwareDownload::Closed)
            QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    });
    closer.start(50);

    QTest::mouseClick(page->CopyButton(), Qt::LeftButton);
    // 01.70 is the one chosen, and it is damaged: it never lands.
    EXPECT_EQ(page->AvailableText()->text(), QStringLiteral("01.50"));
    EXPECT_FALSE(QFile::exists(QDir(folder).filePath("qro4000fw0170.hex")));
    EXPECT_TRUE(h->sink.status.contains("Unable to copy file qro4000fw0170.hex"));

    server.Put("qro4000fw0170.hex", SmallImage());
    QTest::mouseClick(page->CopyButton(), Qt::LeftButton);
    EXPECT_EQ(page->AvailableText()->text(), QStringLiteral("01.70"));
    EXPECT_TRUE(h->sink.status.contains("Copied qro4000fw0170.hex from Brimwell"));
}

TEST_F(FirmwarePage, CancelEndsACopyAtOnceWithResultTwo)
{
    CFtpTestServer slow(20000);
    ASSERT_TRUE(slow.IsRunning());
    slow.Put("qro4000fw0160.hex", QByteArray(400000, ':'));
    h->model->m_fileServer.Set(slow.Url());
    CFtpDlg dialog(h->model.get(), folder);
    dialog.show();
    QElapsedTimer clock;
    clock.start();
    while (dialog.ProgressBar()->value() <= 0 && clock.elapsed() < 20000)
        QTest::qWait(10);
    ASSERT_GT(dialog.ProgressBar()->value(), 0);
    EXPECT_EQ(dialog.ProgressBar()->maximum(), 400000);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Copy Files from Brimwell File Server"));
    GuiTest::SaveScreenshot(&dialog, "FtpDlg");

    QTest::mouseClick(dialog.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), CFtpDlg::ResultCancelled);
    EXPECT_EQ(dialog.ResultCode(), 1223u);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(QDir(folder).isEmpty());
}

TEST_F(FirmwarePage, TheCopyButtonsMenuTakesOnlyAnFtpAddress)
{
    QAction* action = page->CopyButton()->findChild<QAction*>("fileServer");
    ASSERT_NE(action, nullptr);
    for (const QString& typed : {QStringLiteral("http://files.example"), QStringLiteral("ftp://127.0.0.1:2121/pub")}) {
        QTimer::singleShot(0, [typed] {
            auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(input, nullptr);
            input->setTextValue(typed);
            input->accept();
        });
        action->trigger();
    }
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_TRUE(prompt.messages[0].text.startsWith("\"http://files.example\" is not a file server address"));
    EXPECT_EQ(h->model->m_fileServer.m_value, QStringLiteral("ftp://127.0.0.1:2121/pub"));
}

TEST_F(FirmwarePage, AvailableRevisionIsTheNewestFile)
{
    WriteFirmware("qro4000fw0135.hex");
    WriteFirmware("QRO4000FW0140.HEX");
    WriteFirmware("qro4000fw0199B.hex");
    page->RefreshAvailable(false);
    EXPECT_EQ(page->AvailableText()->text(), QStringLiteral("01.40"));
}

TEST_F(FirmwarePage, InstalledRevisionFollowsTheModel)
{
    ASSERT_TRUE(h->Connect());
    EXPECT_EQ(page->InstalledText()->text(), QStringLiteral("01.53"));
    h->model->m_firmwareRevision.Set(kRevisionLoading);
    EXPECT_EQ(page->InstalledText()->text(), QStringLiteral("Loading"));
}

TEST_F(FirmwarePage, DefaultAndBrowseChooseTheFolder)
{
    QString title;
    page->SetFolderChooser([&](QWidget*, const QString& t, const QString& start) {
        title = t;
        EXPECT_EQ(start, folder);
        return h->TempPath("elsewhere");
    });
    QDir().mkpath(h->TempPath("elsewhere"));
    QTest::mouseClick(page->BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(title, QStringLiteral("Select folder containing QRO4000 firmware file"));
    EXPECT_EQ(h->model->m_firmwareFolder.m_value, h->TempPath("elsewhere"));
    EXPECT_EQ(page->FolderEdit()->text(), h->TempPath("elsewhere"));
    EXPECT_TRUE(LogText().contains("Firmware folder does not contain required QRO4000 firmware file\n"));

    QTest::mouseClick(page->DefaultButton(), Qt::LeftButton);
    EXPECT_EQ(h->model->m_firmwareFolder.m_value, h->model->DefaultFirmwareFolder());
}

TEST_F(FirmwarePage, BrowseCancelledChangesNothing)
{
    page->SetFolderChooser([](QWidget*, const QString&, const QString&) { return QString(); });
    QTest::mouseClick(page->BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(h->model->m_firmwareFolder.m_value, folder);
    EXPECT_TRUE(LogText().isEmpty());
}

TEST_F(FirmwarePage, TypedFolderIsTaken)
{
    WriteFirmware("qro4000fw0160.hex");
    const QString other = h->TempPath("typed");
    QDir().mkpath(other);
    page->FolderEdit()->setText(other);
    emit page->FolderEdit()->editingFinished();
    EXPECT_EQ(h->model->m_firmwareFolder.m_value, other);
    EXPECT_EQ(page->AvailableText()->text(), QStringLiteral("Missing"));
}

TEST_F(FirmwarePage, CheckRevisionNowAsksTheAmplifier)
{
    WriteFirmware("qro4000fw0160.hex");
    ASSERT_TRUE(h->Connect());
    h->model->m_firmwareRevision.Set(0);
    h->device->ClearLogs();
    QTest::mouseClick(page->CheckButton(), Qt::LeftButton);
    EXPECT_FALSE(page->CheckButton()->isEnabled()); // the query is running
    ASSERT_TRUE(h->RunUntilIdle(*h->model->ContactMachine()));
    page->UpdateButtons();
    EXPECT_TRUE(page->CheckButton()->isEnabled());
    EXPECT_EQ(h->device->ReceivedLog(), QByteArray("^rv;^sn;"));
    EXPECT_EQ(page->InstalledText()->text(), QStringLiteral("01.53"));
    EXPECT_EQ(page->AvailableText()->text(), QStringLiteral("01.60"));
}

TEST_F(FirmwarePage, SendWithoutAFileIsRefused)
{
    ASSERT_TRUE(h->Connect());
    QTest::mouseClick(page->SendButton(), Qt::LeftButton);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(prompt.messages[0].text, QStringLiteral("A required firmware file is missing"));
    EXPECT_EQ(loads, 0);
}

TEST_F(FirmwarePage, SendWithoutAnAmplifierIsRefused)
{
    WriteFirmware("qro4000fw0154.hex");
    EXPECT_FALSE(page->SendButton()->isEnabled());
    EXPECT_TRUE(page->SendButton()->toolTip().startsWith(QStringLiteral("No amplifier in contact")));
    EXPECT_EQ(loads, 0);
}

TEST_F(FirmwarePage, SendToAnotherDeviceIsRefused)
{
    WriteFirmware("qro4000fw0154.hex");
    h->device->SetCommandHandler("I", [](const QByteArray&) { return QByteArray("^IQRO800;"); });
    h->model->m_port.Set(QStringLiteral("SIM"));
    h->model->ContactMachine()->StartContact();
    ASSERT_TRUE(h->RunUntilIdle(*h->model->ContactMachine()));
    ASSERT_EQ(h->model->m_firmwareStatus.m_value, FirmwareNone);
    EXPECT_FALSE(page->SendButton()->isEnabled());
    EXPECT_TRUE(page->SendButton()->toolTip().startsWith("Found a QRO800, not a QRO4000"))
        << qPrintable(page->SendButton()->toolTip());
    EXPECT_EQ(loads, 0);
}

TEST_F(FirmwarePage, FileWithNothingToLoadIsRefusedBeforeTheBackupIsOffered)
{
    QFile file(QDir(folder).filePath("qro4000fw0154.hex"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(":020000041D08D5\r\n:0100000001FE\r\n:00000001FF\r\n"));
    file.close();
    ASSERT_TRUE(h->Connect());
    h->device->ClearLogs();
    QTest::mouseClick(page->SendButton(), Qt::LeftButton);
    EXPECT_TRUE(prompt.questions.empty());
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_TRUE(prompt.messages[0].text.startsWith("Refused: no data for the firmware area in " + folder));
    EXPECT_EQ(h->device->ReceivedLog(), QByteArray());
}

TEST_F(FirmwarePage, SendLoadsTheNewestFileAfterTheBackup)
{
    WriteFirmware("qro4000fw0150.hex");
    WriteFirmware("qro4000fw0154.hex");
    ASSERT_TRUE(h->Connect());
    prompt.answers = {true};
    QTest::mouseClick(page->SendButton(), Qt::LeftButton);
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0].caption, QStringLiteral("Save Configuration Before Loading Firmware"));
    ASSERT_EQ(backups.size(), 1);
    EXPECT_TRUE(backups[0].endsWith(".QRO4000Config"));
    EXPECT_TRUE(backups[0].contains("SN01234."));
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(h->model->m_firmwareFile.m_value.m_revision, 154);
    EXPECT_EQ(page->InstalledText()->text(), QStringLiteral("01.54"));
    EXPECT_EQ(h->model->m_firmwareStatus.m_value, FirmwareApplication);
    const QString log = LogText();
    EXPECT_TRUE(log.contains("Sending firmware from " + folder + "\n"));
    EXPECT_TRUE(log.contains("Configuration saved to " + backups[0] + "\n"));
    EXPECT_TRUE(log.contains(QRegularExpression("Elapsed time: \\d+ seconds\\n$"))) << log.toStdString();
}

TEST_F(FirmwarePage, BackupIsOneClickToSkip)
{
    WriteFirmware("qro4000fw0154.hex");
    ASSERT_TRUE(h->Connect());
    prompt.answers = {false};
    QTest::mouseClick(page->SendButton(), Qt::LeftButton);
    EXPECT_TRUE(backups.isEmpty());
    EXPECT_EQ(loads, 1);
    EXPECT_TRUE(LogText().contains("Configuration backup skipped\n"));
}

TEST_F(FirmwarePage, CancelledBackupSendsNothing)
{
    WriteFirmware("qro4000fw0154.hex");
    ASSERT_TRUE(h->Connect());
    prompt.answers = {true};
    backupAnswer = 2;
    QTest::mouseClick(page->SendButton(), Qt::LeftButton);
    EXPECT_EQ(loads, 0);
    EXPECT_TRUE(page->SendButton()->isEnabled());
}

TEST_F(FirmwarePage, FailedBackupAsksBeforeSending)
{
    WriteFirmware("qro4000fw0154.hex");
    ASSERT_TRUE(h->Connect());
    prompt.answers = {true, false};
    backupAnswer = 3;
    backupResult = Result::AsFailureCode(Result::DiskFull);
    QTest::mouseClick(page->SendButton(), Qt::LeftButton);
    ASSERT_EQ(prompt.questions.size(), 2u);
    EXPECT_TRUE(prompt.questions[1].text.startsWith("The configuration could not be saved (error code 0x80070070: "));
    EXPECT_EQ(loads, 0);
}

TEST_F(FirmwarePage, BootLoaderAmplifierGetsNoBackupOffer)
{
    CSimDevice::Options options = CSimHarness::DefaultOptions();
    options.bootLoader = true;
    options.revisionAfterLoad = 154;
    page.reset(); // it observes the model that goes next
    h = std::make_unique<CSimHarness>(options);
    folder = h->TempPath("firmware");
    QDir().mkpath(folder);
    h->model->m_firmwareFolder.Set(folder);
    page = std::make_unique<CFirmwarePage>(h->model.get(), &prompt);
    page->SetLoaderRunner([this](CFirmwarePage&) { return RunLoader(); });
    WriteFirmware("qro4000fw0154.hex");
    ASSERT_TRUE(h->Connect());
    QTest::mouseClick(page->SendButton(), Qt::LeftButton);
    EXPECT_TRUE(prompt.questions.empty());
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(h->model->m_firmwareStatus.m_value, FirmwareApplication);
    EXPECT_EQ(page->InstalledText()->text(), QStringLiteral("01.54"));
}

TEST_F(FirmwarePage, FailedLoadLooksForTheAmplifierAgain)
{
    WriteFirmware("qro4000fw0154.hex");
    ASSERT_TRUE(h->Connect());
    prompt.answers = {false};
    h->device->GetFaults().neverEchoD = true;
    QTest::mouseClick(page->SendButton(), Qt::LeftButton);
    EXPECT_EQ(loads, 1);
    // The amplifier waits in its boot loader: contact finds it there, ready for another load.
    ASSERT_TRUE(h->RunUntilIdle(*h->model->ContactMachine()));
    EXPECT_EQ(h->model->m_firmwareStatus.m_value, FirmwareBootLoader);
    h->device->GetFaults().neverEchoD = false;
    QTest::mouseClick(page->SendButton(), Qt::LeftButton);
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(page->InstalledText()->text(), QStringLiteral("01.54"));
}

TEST_F(FirmwarePage, ButtonsWaitForTheConversation)
{
    h->model->m_port.Set(QStringLiteral("SIM"));
    h->model->ContactMachine()->StartContact();
    page->UpdateButtons();
    // The folder may change during a search; nothing may be sent or asked.
    EXPECT_TRUE(page->DefaultButton()->isEnabled() && page->BrowseButton()->isEnabled());
    for (QPushButton* button : {page->CheckButton(), page->SendButton()})
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    ASSERT_TRUE(h->RunUntilIdle(*h->model->ContactMachine()));
    page->UpdateButtons();
    for (QPushButton* button : {page->DefaultButton(), page->BrowseButton(), page->CheckButton(), page->SendButton()})
        EXPECT_TRUE(button->isEnabled()) << button->objectName().toStdString();
}

TEST_F(FirmwarePage, ActivityLogKeepsItsNewestLinesWithinTheLimit)
{
    const QString line(1000, QChar('x'));
    for (int i = 0; i < 2200; ++i)
        page->AppendActivityLine(line + QString::number(i));
    const QTextDocument* document = page->ActivityLog()->document();
    EXPECT_LE(document->characterCount(), CFirmwarePage::kLogLimit);
    EXPECT_GT(document->characterCount(), CFirmwarePage::kLogLimit - 2000);
    EXPECT_TRUE(page->ActivityLog()->toPlainText().endsWith(line + "2199\n"));
    // Whole lines go: the first one left starts with its time.
    EXPECT_TRUE(document->firstBlock().text().contains(QRegularExpression("^\\d\\d:\\d\\d:\\d\\d x")));
}

// The whole road once, as a new user takes it: the main window on the built-in simulated
// amplifier, a firmware file in the folder, "Send Firmware to QRO4000", the new revision shown.
class FirmwarePageInMainWindow : public CMainFrameFixture { };

TEST_F(FirmwarePageInMainWindow, SendFirmwareToTheSimulatedAmplifier)
{
    qputenv("QRO4000_SIM", "baud=38400,pace=0,revision-after-load=154,erase-ms=200");
    Start();
    ConnectToSim();
    SelectPage(CFirmwarePage::kTabIndex);
    auto* page = frame->findChild<CFirmwarePage*>();
    ASSERT_NE(page, nullptr);
    const QString folder = frame->Model().m_firmwareFolder.m_value;
    ASSERT_FALSE(folder.isEmpty());
    {
        QFile f(QDir(folder).filePath("qro4000fw0154.hex"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(SmallImage());
    }
    page->RefreshAvailable(false);
    EXPECT_EQ(page->AvailableText()->text(), QStringLiteral("01.54"));
    EXPECT_EQ(page->InstalledText()->text(), QStringLiteral("01.53"));
    prompt.answers = {false}; // no configuration backup this time
    QTest::mouseClick(page->SendButton(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return page->InstalledText()->text() == QStringLiteral("01.54"); }, 30000));
    EXPECT_EQ(frame->Model().m_firmwareStatus.m_value, FirmwareApplication);
    const QString log = page->ActivityLog()->toPlainText();
    EXPECT_TRUE(log.contains("Sending firmware file ")) << log.toStdString();
    EXPECT_TRUE(log.contains("QRO4000 firmware load is complete")) << log.toStdString();
    EXPECT_TRUE(log.contains("Elapsed time: ")) << log.toStdString();
    GuiTest::SaveScreenshot(frame.get(), "FirmwarePageAfterLoad");
    qputenv("QRO4000_SIM", "baud=38400,pace=0");
}
} // namespace
