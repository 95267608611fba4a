// What the command line must never do, tried with the real binaries: open a FIFO or a device as
// a file (the open blocks), replace one by a save, look for the amplifier before its input is
// known good, or take a crafted file that gives an address twice.
#include "CliProcess.h"
#include "config/Crc32.h"
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {
class DataSafetyCli : public CliTest {
protected:
    CliRun Run(const QStringList& args) { return CliTest::Run(args, {}, 30000); }
    static bool Contacted(const CliRun& run) { return run.err.contains("Attempting to contact"); }
    // A configuration file of these memory lines with a valid CRC line.
    QString Crafted(const QList<QByteArray>& lines) const
    {
        CCrc32 crc;
        for (const QByteArray& line : lines)
            crc.Update(line.constData(), static_cast<std::size_t>(line.size()));
        EXPECT_TRUE(WriteWholeFile(Path("crafted.QRO4000Config"),
            lines.join("\r\n") + "\r\nCRC32 = 0x" + QByteArray::number(crc.Register(), 16).rightJustified(8, '0')
                + "\r\n"));
        return Path("crafted.QRO4000Config");
    }
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

// A crafted file with a valid CRC that gives the same 64 bytes twice.
TEST_F(DataSafetyCli, FileThatRepeatsARecordIsRefusedWithItsLine)
{
    const QByteArray line = "MEM4 00000040 40 " + QByteArray(128, 'A');
    const QString file = Crafted({line, line});
    const QString refused = "Line 2, error code 0xE2000075: A memory line repeats or overlaps addresses given by an "
                            "earlier line (addresses 0x00040 to 0x0007F, 64 bytes)";
    for (const QStringList& args :
        {QStringList {"check-config"}, QStringList {"-p", "SIM", "--yes", "restore-config"}}) {
        const CliRun run = Run(args + QStringList {file});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_THAT(run.err, HasText(refused));
        EXPECT_FALSE(Contacted(run));
    }
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
