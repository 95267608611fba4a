// The maintenance dialogs with their real widgets on the simulated amplifier, in virtual time:
// the fault table and its file, the date and time page's Apply / OK / Cancel order, the reset
// and ATU memory erase dialogs with the backup offered first.
#include "SimHarness.h"
#include "TestFiles.h"
#include "model/ContactStateMachineInterface.h"
#include "maintenance/ClockText.h"
#include "maintenance/ui/DateTimePage.h"
#include "maintenance/ui/DateTimeSheet.h"
#include "maintenance/ui/EraseConfigDlg.h"
#include "maintenance/ui/EraseMemoryDlg.h"
#include "maintenance/ui/FaultTableDlg.h"
#include "model/ResultCode.h"
#include "sim/SimClock.h"
#include "sim/SimFaultLog.h"
#include <QButtonGroup>
#include <QFile>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {
constexpr std::uint64_t kLong = 24ull * 3600 * 1000;

class MaintenanceDialogs : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(harness.Connect());
        harness.device->ClearLogs();
        harness.sink.status.clear();
    }
    QByteArray Wire() const { return harness.device->ReceivedLog(); }
    bool RunUntil(const std::function<bool()>& condition) { return harness.host.RunUntil(condition, kLong); }
    // Apply at the PC's local time 2024-03-05 09:00:00, as the date and time page's clock.
    static SYSTEMTIME NineOClock(bool) { return ClockText::FromDateTime(QDateTime(QDate(2024, 3, 5), QTime(9, 0))); }

    CSimHarness harness;
    int backups = 0;
};
} // namespace

TEST_F(MaintenanceDialogs, FaultTableListsNewestFirstAndSavesTheLinesAsShown)
{
    QString chosen = harness.TempPath("faults.txt");
    CFaultTableDlg dialog(
        harness.model.get(), &harness.sink, nullptr, [&](QWidget*, const QString&, const QString&) { return chosen; });
    EXPECT_TRUE(QFontInfo(dialog.TextBox()->font()).fixedPitch());
    dialog.Begin();
    EXPECT_FALSE(dialog.SaveButton()->isEnabled());
    ASSERT_TRUE(RunUntil([&] { return !dialog.IsReading(); }));
    const CSimFaultLog& log = harness.device->Feature<CSimFaultLog>();
    const QStringList shown = dialog.TextBox()->toPlainText().split('\n');
    EXPECT_EQ(shown.size(), static_cast<int>(log.Index()) + 1); // the simulated log fills slots 0 .. index
    EXPECT_TRUE(shown.front().startsWith(QString::asprintf("%3u ", unsigned(log.Index()))));
    EXPECT_TRUE(shown.back().startsWith("  0 "));
    ASSERT_TRUE(dialog.SaveButton()->isEnabled());
    EXPECT_EQ(dialog.SaveAs(), 0u);
    EXPECT_EQ(QString::fromLatin1(ReadWholeFile(chosen)), shown.join("\r\n") + "\r\n");
    EXPECT_EQ(dialog.findChild<QLabel*>("status")->text(), "Fault table saved to " + chosen);
    chosen = harness.TempPath("missing-folder/faults.txt");
    EXPECT_NE(dialog.SaveAs(), 0u);
    EXPECT_TRUE(harness.sink.messages.back().startsWith("Fault Table Error: "))
        << harness.sink.messages.back().toStdString();
}

TEST_F(MaintenanceDialogs, DateTimeApplySetsAfterTheRunningReadThenReadingResumes)
{
    harness.model->m_dateTimeUtc.Set(0);
    harness.device->Feature<CSimClock>().Set(QDateTime(QDate(2024, 3, 5), QTime(8, 58, 25), Qt::UTC));
    CDateTimeSheet sheet(harness.model.get(), &harness.sink);
    sheet.Page()->SetComputerClock(&MaintenanceDialogs::NineOClock);
    sheet.show();
    ASSERT_TRUE(RunUntil([&] { return Wire().count("^cc;") == 3; }));
    EXPECT_EQ(sheet.Page()->DifferenceText(), "95 s behind the PC");
    // The fields keep their format; their tooltips give the whole date and the zone.
    const QString zone = " (local time, " + QString::fromUtf8(QTimeZone::systemTimeZoneId()) + ")";
    EXPECT_EQ(sheet.findChild<QLineEdit*>("amplifierTime")->toolTip(), "2024-03-05 08:58:25" + zone);
    EXPECT_EQ(sheet.findChild<QLineEdit*>("pcTime")->toolTip(), "2024-03-05 09:00:00" + zone);
    QTest::mouseClick(sheet.ApplyButton(), Qt::LeftButton);
    ASSERT_TRUE(RunUntil([&] { return Wire().endsWith("^cc;") && Wire().contains("T09:00:00;"); }));
    EXPECT_TRUE(Wire().endsWith("^cc;^cc;^cc;^cc24-03-05T09:00:00;^cc;"));
    EXPECT_TRUE(harness.sink.status.contains("The QRO4000's clock was set to 24-03-05 09:00:00 (local time)"));
    ASSERT_TRUE(RunUntil([&] { return sheet.Page()->DifferenceText() == "in step with the PC"; }));
    EXPECT_TRUE(sheet.isVisible());
}

// OK and Cancel wait for the read that runs; OK then sets the clock, Cancel sets nothing.
TEST_F(MaintenanceDialogs, DateTimeOkAndCancelCloseAfterTheRunningRead)
{
    for (const bool ok : {true, false}) {
        harness.device->ClearLogs();
        CDateTimeSheet sheet(harness.model.get(), &harness.sink);
        sheet.Page()->SetComputerClock(&MaintenanceDialogs::NineOClock);
        sheet.show();
        QTest::mouseClick(ok ? sheet.OkButton() : sheet.CancelButton(), Qt::LeftButton);
        EXPECT_TRUE(sheet.isVisible());
        ASSERT_TRUE(RunUntil([&] { return !sheet.isVisible(); }));
        EXPECT_EQ(Wire(), ok ? "^cc;^cc24-03-05T09:00:00;" : "^cc;");
        EXPECT_EQ(sheet.result(), ok ? QDialog::Accepted : QDialog::Rejected);
        EXPECT_EQ(harness.model->RunningMachine(), nullptr);
    }
}

TEST_F(MaintenanceDialogs, DateTimeKeepsTheAmplifierFieldWhileItsYearIsZero)
{
    harness.device->Feature<CSimClock>().Set(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9), Qt::UTC));
    CDateTimeSheet sheet(harness.model.get(), &harness.sink);
    sheet.show();
    ASSERT_TRUE(RunUntil([&] { return Wire().count("^cc;") == 2; }));
    const QString shown = sheet.Page()->AmplifierText();
    ASSERT_EQ(shown, "24-03-05 14:07:09");
    harness.device->Feature<CSimClock>().SetUnset();
    ASSERT_TRUE(RunUntil([&] { return Wire().count("^cc;") == 4; }));
    EXPECT_EQ(harness.model->m_amplifierTime.m_value.wYear, 0);
    EXPECT_EQ(sheet.Page()->AmplifierText(), shown);
}

TEST_F(MaintenanceDialogs, DateTimeErrorShowsItsCaptionAndCloses)
{
    harness.device->GetFaults().silent = true;
    CDateTimeSheet sheet(harness.model.get(), &harness.sink);
    sheet.show();
    ASSERT_TRUE(RunUntil([&] { return !sheet.isVisible(); }));
    EXPECT_EQ(
        harness.sink.messages, QStringList {"Set Date and Time Error: No response to CLOCK CALENDAR query (^CC)"});
}

TEST_F(MaintenanceDialogs, ResetInABootLoaderSaysNothingWasErasedUnderItsOwnCaption)
{
    harness.model->m_firmwareStatus.m_value = FirmwareBootLoader; // no configuration to back up
    harness.device->SetCommandHandler("i", [](const QByteArray&) { return QByteArray("^Iqro4000;"); });
    CEraseConfigDlg dialog(harness.model.get(), &harness.sink);
    dialog.Reset();
    ASSERT_TRUE(RunUntil([&] { return dialog.result() != 0; }));
    EXPECT_EQ(dialog.result(), 3);
    EXPECT_TRUE(harness.sink.questions.isEmpty());
    EXPECT_EQ(harness.sink.messages,
        QStringList {"Reset Configuration Error: The QRO4000 is waiting in its boot "
                     "loader for firmware: nothing was erased"});
    EXPECT_FALSE(Wire().contains("^ec"));
}

TEST_F(MaintenanceDialogs, EraseAsksOffersTheBackupOnceAndShowsHowEachEraseEnded)
{
    CEraseMemoryDlg dialog(harness.model.get(), &harness.sink);
    dialog.BackupOffer().SetRunner([&](QWidget*, const QString&, DWORD* result) {
        ++backups;
        *result = 0;
        return 1;
    });
    dialog.show();
    harness.sink.answerYes = false;
    EXPECT_FALSE(dialog.Erase(1));
    EXPECT_EQ(dialog.StatusLabel()->text(), "Not confirmed: nothing was erased");
    harness.sink.answerYes = true;
    dialog.Bands()->button(3)->click();
    ASSERT_TRUE(dialog.Erase(2));
    EXPECT_EQ(backups, 1);
    EXPECT_EQ(dialog.WaitCount(), 1u);
    EXPECT_FALSE(dialog.Erase(1)); // one at a time
    ASSERT_TRUE(RunUntil([&] { return dialog.ErasesInProgress() == 0; }));
    EXPECT_EQ(dialog.StatusLabel()->text(), "ATU memories of the 40 m band, antenna 2 erased");
    EXPECT_TRUE(Wire().endsWith("^em032;^rv;"));

    // A failed erase is said in the dialog and in a box; no second backup is offered.
    harness.device->SetCommandHandler("rv", [](const QByteArray&) { return QByteArray(); });
    harness.model->m_band.Set(CModel::Band(11));
    ASSERT_TRUE(dialog.Erase(1));
    ASSERT_TRUE(RunUntil([&] { return dialog.ErasesInProgress() == 0; }));
    EXPECT_EQ(backups, 1);
    EXPECT_EQ(dialog.LastResult(), Result::NoRevisionResponse);
    EXPECT_EQ(dialog.StatusLabel()->text(),
        "ATU memory erase of all bands, antenna 1 failed. Error code "
        "0xE200000D: No response to firmware revision query");
    EXPECT_EQ(harness.sink.messages.back(), "ATU Memory Erase Error: No response to firmware revision query");
    EXPECT_EQ(harness.sink.questions.size(), 4); // three confirmations, one backup
    EXPECT_EQ(dialog.WaitCount(), 0u);
}
