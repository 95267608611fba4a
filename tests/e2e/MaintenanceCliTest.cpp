// The maintenance commands of qro4000 as a user runs them on the built-in simulated amplifier:
// the fault log, the clock shown and set, reset and ATU erase with their
// confirmation and backup, and the answers to bad input.
#include "CliProcess.h"
#include <QDirIterator>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
class MaintenanceCli : public CliTest {
protected:
    int Backups() const
    {
        int files = 0;
        for (QDirIterator it(m_dir.path(), {"*.QRO4000Config"}, QDir::Files, QDirIterator::Subdirectories); it.hasNext(); it.next())
            ++files;
        return files;
    }
};
} // namespace

// The wrap-around at 1024 slots and the fields of an entry are FaultTableTest's and FaultEntryTest's;
// the JSON list is the fault matrix's "fault table" row, compared with the amplifier's memory.
TEST_F(MaintenanceCli, FaultsListsTheLogNewestFirst)
{
    const CliRun text = Run({"-p", "SIM", "faults"}, ",fault-entries=4");
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    const QStringList lines = text.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("  3 ") && lines[0].contains(" 91 - HIGH SWR ")) << lines[0].toStdString();
    EXPECT_THAT(text.err, HasText("4 entries in 1024 slots, newest first (index 3)"));
}

TEST_F(MaintenanceCli, ClockShowsBothClocksAndSetSendsThePcTime)
{
    const CliRun show = Run({"-p", "SIM", "clock"});
    ASSERT_EQ(show.exitCode, 0) << show.err.toStdString();
    EXPECT_THAT(show.out, HasText("QRO4000 clock:   "));
    EXPECT_TRUE(show.out.contains("(UTC)"));
    // The simulated clock starts 95 s behind; the PC's second may tick over before it is read.
    EXPECT_THAT(show.out, ::testing::AnyOf(HasText("Difference:      95 s behind the PC"), HasText("96 s behind")));

    const CliRun set = Run({"-p", "SIM", "--trace", "--json", "clock", "--set", "--local"});
    ASSERT_EQ(set.exitCode, 0) << set.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(set.out.toUtf8()).object();
    EXPECT_FALSE(o["utc"].toBool());
    EXPECT_LE(std::abs(o["differenceSeconds"].toInt(99)), 1) << set.out.toStdString();
    const QString sent = o["sent"].toString();
    EXPECT_TRUE(set.err.contains(QStringLiteral("SetDateTimeState Send \"^cc%1T%2;\"").arg(sent.left(8), sent.mid(9))))
        << set.err.toStdString();
}

TEST_F(MaintenanceCli, ResetAsksSavesABackupAndResets)
{
    const CliRun unconfirmed = Run({"-p", "SIM", "--trace", "reset-config"});
    EXPECT_EQ(unconfirmed.exitCode, 1);
    EXPECT_THAT(unconfirmed.err, HasText("Not confirmed: nothing was erased"));
    EXPECT_FALSE(unconfirmed.err.contains("^ecqvmst"));

    const CliRun reset = Run({"-p", "SIM", "--yes", "--trace", "reset-config"});
    ASSERT_EQ(reset.exitCode, 0) << reset.err.toStdString();
    EXPECT_THAT(reset.out, HasText("Configuration backup saved to "));
    EXPECT_TRUE(reset.out.contains("Configuration was reset to factory default"));
    EXPECT_EQ(Backups(), 1);
    EXPECT_LT(reset.err.indexOf("Send \"^er0003FFC040FE;\""), reset.err.indexOf("Send \"^ecqvmst;\""));

    const CliRun noBackup = Run({"-p", "SIM", "--yes", "reset-config", "--no-backup"});
    EXPECT_EQ(noBackup.exitCode, 0) << noBackup.err.toStdString();
    EXPECT_TRUE(noBackup.err.contains("No configuration backup was made"));
    EXPECT_EQ(Backups(), 1);
}
