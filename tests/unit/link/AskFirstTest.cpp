// What every front end asks before something that cannot be undone: a raw command that needs a
// yes, and the configuration backup offered first.
#include "SimHarness.h"
#include "link/BackupOffer.h"
#include "link/DestructiveCommands.h"
#include "firmware/FirmwareLoadPlan.h"
#include "model/ResultCode.h"
#include <gtest/gtest.h>

TEST(DestructiveCommands, TheFirstDestructiveCommandOfATextIsAskedAbout)
{
    const struct {
        const char* text;
        const char* command; // "" when nothing needs a yes
        const char* says;
    } rows[] = {
        {"^rv;^sn;", "", ""},
        {"^ld;", "^ld", "\"^ld\" starts the boot loader"},
        {"^EC;", "^ec", "\"^ec\" erases the amplifier's configuration"},
        {"^rv;^em1;^ec;", "^em", "\"^em\" erases every memory of the antenna tuner"},
        {"^ew0010FF;", "^ew", "\"^ew\" writes into the amplifier's EEPROM"},
    };
    for (const auto& r : rows) {
        QString command;
        EXPECT_EQ(DestructiveCommands::Warning(QString::fromLatin1(r.text), &command) != 0, *r.command != 0) << r.text;
        EXPECT_EQ(command, QString::fromLatin1(r.command)) << r.text;
        const QString question = DestructiveCommands::Question(QString::fromLatin1(r.text));
        EXPECT_EQ(question.isEmpty(), *r.command == 0) << r.text;
        EXPECT_TRUE(question.contains(QString::fromUtf8(r.says))) << question.toStdString();
        EXPECT_TRUE(!*r.command || question.endsWith(QStringLiteral("Send \"%1\" anyway?").arg(r.text)));
    }
}

TEST(BackupOffer, TheAnswerTheSaveAndWhoMayGoOnDecide)
{
    using A = IUserPrompt::Answer;
    using O = BackupOffer::Outcome;
    const struct {
        FIRMWARESTATUS status;
        A answer;
        DWORD saved;
        bool askWhenSaveFails; // false: a failed save stops
        bool goOnAfterFailure;
        O outcome;
        int questions, saves;
        const char* reported;
    } rows[] = {
        {FirmwareBootLoader, A::Yes, 0, true, true, O::NotOffered, 0, 0, ""},
        {FirmwareApplication, A::Cancel, 0, true, true, O::Stopped, 1, 0, ""},
        {FirmwareApplication, A::No, 0, true, true, O::Skipped, 1, 0, "Configuration backup skipped"},
        {FirmwareApplication, A::Yes, 0, true, true, O::Saved, 1, 1, "Configuration saved to b.cfg"},
        {FirmwareApplication, A::Yes, Result::Cancelled, true, true, O::Stopped, 1, 1, ""},
        {FirmwareApplication, A::Yes, Result::DiskFull, false, true, O::Stopped, 1, 1, ""},
        {FirmwareApplication, A::Yes, Result::DiskFull, true, false, O::Stopped, 2, 1, ""},
        {FirmwareApplication, A::Yes, Result::DiskFull, true, true, O::SaveFailedGoOn, 2, 1, ""},
    };
    for (const auto& r : rows) {
        CSimHarness h;
        h.model->m_firmwareStatus.m_value = r.status;
        h.sink.choice = r.answer;
        h.sink.answerYes = r.goOnAfterFailure;
        EXPECT_EQ(FirmwareLoadPlan::OffersBackup(*h.model), r.outcome != O::NotOffered);
        const BackupOffer::Texts texts = FirmwareLoadPlan::BackupTexts("a.cfg", r.askWhenSaveFails);
        int saves = 0;
        QStringList reports;
        const O outcome = BackupOffer::Offer(
            *h.model, h.sink, texts, "a.cfg",
            [&](QString* name) {
                ++saves;
                *name = "b.cfg";
                return r.saved;
            },
            [&](const QString& line) { reports << line; });
        const int row = static_cast<int>(&r - rows);
        EXPECT_EQ(outcome, r.outcome) << row;
        EXPECT_EQ(BackupOffer::MayGoOn(outcome), r.outcome != O::Stopped) << row;
        EXPECT_EQ(h.sink.questions.size(), r.questions) << row;
        EXPECT_EQ(saves, r.saves) << row;
        EXPECT_EQ(reports, *r.reported ? QStringList {r.reported} : QStringList {}) << row;
    }
}
