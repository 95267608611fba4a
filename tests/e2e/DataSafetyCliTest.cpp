// What the command line must never do, tried with the real binaries: open a FIFO or a device as
// a file (the open blocks), replace one by a save, or look for the amplifier before its input is
// known good.
#include "CliProcess.h"
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {
class DataSafetyCli : public CliTest {
protected:
    CliRun Run(const QStringList& args) { return CliTest::Run(args, {}, 30000); }
    static bool Contacted(const CliRun& run) { return run.err.contains("Attempting to contact"); }
};
} // namespace

TEST_F(DataSafetyCli, InputThatIsNoFileFailsAtOnceBeforeTheAmplifierIsContacted)
{
    const QString fifo = Path("fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString notFile = fifo + " is not a regular file";
    const struct {
        QStringList args;
        int exitCode;
        QString reason;
    } rows[] = {
        {{"check-config", fifo}, 1, notFile},
        {{"-p", "SIM", "--yes", "restore-config", fifo}, 1, notFile},
        {{"-p", "SIM", "--yes", "restore-config", Path("none")}, 1, "The system cannot find the file specified."},
        {{"diff-config", fifo, fifo}, 2, notFile},
        {{"-p", "SIM", "diff-config", fifo}, 2, notFile},
        {{"hex-check", fifo}, 1, notFile},
        {{"-p", "SIM", "--yes", "firmware", "load", fifo}, 1, notFile},
    };
    for (const auto& r : rows) {
        const CliRun run = Run(r.args);
        const std::string what = r.args.join(' ').toStdString();
        ASSERT_TRUE(run.finished) << what << ": the program hung";
        EXPECT_EQ(run.exitCode, r.exitCode) << what;
        EXPECT_TRUE(run.err.contains(r.reason)) << what << ": " << run.err.toStdString();
        EXPECT_FALSE(Contacted(run)) << what;
    }
}

TEST_F(DataSafetyCli, SaveNeverReplacesADeviceOrAFifo)
{
    // A device node of our own (the device of /dev/null), so that nothing of the system is at risk.
    const QString fifo = Path("fifo"), node = Path("null");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_EQ(::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0600, makedev(1, 3)), 0) << "needs root";
    for (const QString& target : {fifo, node}) {
        const CliRun run = Run({"-p", "SIM", "save-config", target});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_THAT(run.err, HasText(target + " is not a regular file"));
        EXPECT_FALSE(Contacted(run)) << "the destination is checked before the amplifier is looked for";
    }
    struct stat info { };
    EXPECT_TRUE(::stat(QFile::encodeName(fifo).constData(), &info) == 0 && S_ISFIFO(info.st_mode));
    EXPECT_TRUE(::stat(QFile::encodeName(node).constData(), &info) == 0 && S_ISCHR(info.st_mode));
}

TEST_F(DataSafetyCli, PortNameTooLongIsSaidSoAndNotEchoedWhole)
{
    const CliRun run = Run({"-p", QString(10240, 'x'), "info"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.startsWith("qro4000: the port name is too long (10240 characters): xxx"))
        << run.err.toStdString();
    EXPECT_LT(run.err.size(), 200);
}

TEST_F(DataSafetyCli, ARepeatedOptionIsAUsageErrorAndNothingIsSent)
{
    // One value per option: "--band 40 --band 20" must not erase 20 m.
    const QStringList rows[] = {
        {"-p", "SIM", "--yes", "erase-atu", "--band", "40", "--band", "20", "--antenna", "1"},
        {"-p", "SIM", "--yes", "erase-atu", "--band=40", "--antenna", "1", "--band", "20"},
        {"-p", "SIM", "send", "^PWR1;", "--wait", "10", "--wait=20"},
        {"-p", "SIM", "--yes", "reset-config", "--no-backup", "--no-backup"},
        {"-p", "SIM", "info", "--port", "SIM"},
    };
    for (const QStringList& args : rows) {
        const CliRun run = Run(args);
        const std::string what = args.join(' ').toStdString();
        EXPECT_EQ(run.exitCode, 2) << what;
        EXPECT_TRUE(run.err.contains("is given twice")) << what << ": " << run.err.toStdString();
        EXPECT_FALSE(Contacted(run)) << what;
    }
}
