// The loader dialog on the simulated amplifier in virtual time: the real widgets, shown
// without a modal loop so that the test drives the clock.
#include "HexTestFiles.h"
#include "GuiTestSupport.h"
#include "SimHarness.h"
#include "firmware/FileNameParts.h"
#include "firmware/McuLoaderStateMachine.h"
#include "firmware/ui/McuLoaderDlg.h"
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "sim/SimFirmwareImage.h"
#include "ui/OutputWindow.h"
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {
constexpr std::uint64_t kLimitMs = 60ull * 60 * 1000;

class FirmwareLoaderDlg : public ::testing::Test {
protected:
    void SetUp() override
    {
        h = std::make_unique<CSimHarness>();
        ASSERT_TRUE(h->Connect());
        // Eight packets, marked as revision 01.54 for the simulated amplifier to report.
        h->model->m_firmwareFile.Set(
            FileNameParts::Revisioned(files.Write("qro4000fw0154.hex", SimFirmwareImage::MakeHexImage(154))));
    }

    // Shows the dialog, lets it begin and runs the load to its end in virtual time.
    void Run()
    {
        dialog = std::make_unique<CMcuLoaderDlg>(h->model.get(), &prompt);
        dialog->show();
        QCoreApplication::processEvents();
        ASSERT_TRUE(QTest::qWaitFor([&] { return Machine() != nullptr; }, 2000));
        ASSERT_TRUE(h->RunUntilIdle(*Machine(), kLimitMs));
        QCoreApplication::processEvents();
    }

    IStateMachine* Machine() { return h->model->RunningMachine(); }
    QString LogText() const { return dialog->Log()->toPlainText(); }
    bool Logged(const QString& text) const
    {
        for (const QString& line : LogText().split('\n'))
            if (line.mid(9) == text) // after the "hh:mm:ss " time
                return true;
        return false;
    }

    CHexTestFiles files;
    std::unique_ptr<CSimHarness> h;
    CScriptedPrompt prompt;
    std::unique_ptr<CMcuLoaderDlg> dialog;
};

TEST_F(FirmwareLoaderDlg, SuccessClosesTheDialogAtOnceWithoutVerboseLogging)
{
    Run();
    EXPECT_TRUE(Logged("QRO4000 verification succeeded"));
    EXPECT_TRUE(Logged("QRO4000 firmware load is complete"));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(dialog->ProgressBar()->value(), dialog->ProgressBar()->maximum());
    EXPECT_EQ(h->model->RunningMachine(), nullptr); // released on closing
}

TEST_F(FirmwareLoaderDlg, VerboseLoggingKeepsItOpenWithTheRetryStatistics)
{
    h->device->GetFaults().refusePacketNumber = 2;
    h->device->GetFaults().refusePacketTimes = 3;
    h->model->m_verboseLogging.Set(1);
    Run();
    EXPECT_TRUE(Logged("Total number of retries was 3"));
    EXPECT_EQ(dialog->RetriesLabel()->text(), "Retries so far: 3");
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(Logged("Click \"Close\" to close this window"));
    EXPECT_EQ(dialog->CancelButton()->text(), QStringLiteral("Close"));
    QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
}

TEST_F(FirmwareLoaderDlg, FailureStaysOpenWithTheErrorAndTheAdvice)
{
    h->device->GetFaults().neverEchoD = true;
    Run();
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->ResultCode(), Result::NoDEcho);
    EXPECT_TRUE(Logged("Error code 0xE2000043: Bootstrap Loader did not echo a D"));
    EXPECT_TRUE(Logged("QRO4000 verification failed. Reload QRO4000."));
    EXPECT_EQ(dialog->CancelButton()->text(), QStringLiteral("Close"));
    QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Rejected);
}

TEST_F(FirmwareLoaderDlg, CancelInsideTheDownloadAsksFirst)
{
    dialog = std::make_unique<CMcuLoaderDlg>(h->model.get(), &prompt);
    dialog->show();
    QCoreApplication::processEvents();
    auto* machine = dynamic_cast<CMcuLoaderStateMachine*>(Machine());
    ASSERT_NE(machine, nullptr);
    ASSERT_TRUE(h->host.RunUntil([&] { return machine->IsDownloadOpen(); }, kLimitMs));

    prompt.answers = {false};
    QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0].icon, IUserPrompt::Icon::Warning);
    EXPECT_FALSE(machine->IsIdle());

    prompt.answers = {true};
    QTest::mouseClick(dialog->CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(h->RunUntilIdle(*machine, kLimitMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog->ResultCode(), Result::Cancelled);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(Logged("Error code 0x000004C7: " + GetErrorText(Result::Cancelled)));
    // Stopped by the user: no verification failed, and the way back is told.
    EXPECT_FALSE(LogText().contains("verification failed")) << LogText().toStdString();
    EXPECT_TRUE(LogText().contains("Remove power from the QRO4000, restore it")) << LogText().toStdString();
}

TEST_F(FirmwareLoaderDlg, EscapeDoesNotCloseARunningLoad)
{
    dialog = std::make_unique<CMcuLoaderDlg>(h->model.get(), &prompt);
    dialog->show();
    QCoreApplication::processEvents();
    ASSERT_NE(Machine(), nullptr);
    h->host.Advance(50);
    QTest::keyClick(dialog.get(), Qt::Key_Escape); // cancels; the download has not begun
    EXPECT_TRUE(dialog->isVisible());
    ASSERT_TRUE(h->RunUntilIdle(*Machine(), kLimitMs));
    QCoreApplication::processEvents();
    EXPECT_EQ(dialog->ResultCode(), Result::Cancelled);
    EXPECT_TRUE(prompt.questions.empty());
}
} // namespace
