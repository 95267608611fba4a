// What the command line must never do, tried with the real binaries: read a FIFO or a device as
// a file (the open would block), replace one by a save, talk to the amplifier before its input
// files are known good, write a crafted file that repeats its records, or leave a half-written
// amplifier unnamed.
#include "CliProcess.h"
#include "config/ConfigFileWriter.h"
#include "config/Crc32.h"
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {
const QStringList kFastSim {QStringLiteral("QRO4000_SIM=baud=38400,pace=0")};

class DataSafetyCli : public ::testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }
    QString Path(const char* name) const { return m_dir.filePath(QLatin1String(name)); }
    CliRun Run(const QStringList& args) { return RunCli(m_dir, args, kFastSim, 30000); }
    QString Fifo(const char* name) const
    {
        EXPECT_EQ(::mkfifo(QFile::encodeName(Path(name)).constData(), 0600), 0);
        return Path(name);
    }
    // A configuration file of this amplifier (serial 01234) holding `fill` in every byte.
    QString ConfigFile(const char* name, char fill) const
    {
        class CFill : public IConfigMemorySource {
        public:
            explicit CFill(char c) : bytes(0x40000, c) {}
            const BYTE* GetData(DWORD address, DWORD) const override
            {
                return reinterpret_cast<const BYTE*>(bytes.constData()) + address;
            }
            QByteArray bytes;
        } source(fill);
        CConfigFileHeader header;
        header.timeStamp = QDateTime(QDate(2024, 2, 3), QTime(4, 5, 6));
        header.serialNumber = 1234;
        EXPECT_EQ(WriteConfigFile(header, Path(name), source), 0u);
        return Path(name);
    }
    static bool Contacted(const CliRun& run) { return run.err.contains("Attempting to contact"); }
    QTemporaryDir m_dir;
};

QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

TEST_F(DataSafetyCli, InputThatIsNoFileFailsAtOnceBeforeTheAmplifierIsContacted)
{
    const QString fifo = Fifo("fifo.QRO4000Config");
    const QString missing = Path("missing.QRO4000Config");
    const QString good = ConfigFile("good.QRO4000Config", 0x11);
    struct Row {
        const char* what;
        QStringList args;
        int exitCode;
        QString reason;
    } rows[] = {
        {"check-config of a FIFO", {"check-config", fifo}, 1, fifo + " is not a regular file"},
        {"restore-config of a FIFO", {"-p", "SIM", "--yes", "restore-config", fifo}, 1, fifo + " is not a regular file"},
        {"restore-config of a missing file", {"-p", "SIM", "--yes", "restore-config", missing}, 1,
            "CreateFile failed on \"" + missing + "\"\nError 0x00000002: The system cannot find the file specified."},
        {"diff-config of a file and a FIFO", {"diff-config", good, fifo}, 2, fifo + " is not a regular file"},
        {"diff-config of a FIFO and the amplifier", {"-p", "SIM", "diff-config", fifo}, 2,
            fifo + " is not a regular file"},
        {"hex-check of a FIFO", {"hex-check", fifo}, 1, fifo + " is not a regular file"},
        {"firmware load of a FIFO", {"-p", "SIM", "--yes", "firmware", "load", fifo}, 1,
            fifo + " is not a regular file"},
    };
    for (const Row& r : rows) {
        const CliRun run = Run(r.args);
        ASSERT_TRUE(run.finished) << r.what << ": the program hung";
        EXPECT_EQ(run.exitCode, r.exitCode) << r.what;
        EXPECT_TRUE(run.err.contains(r.reason)) << r.what << ": " << run.err.toStdString();
        EXPECT_FALSE(Contacted(run)) << r.what;
    }
}

TEST_F(DataSafetyCli, SaveNeverReplacesADeviceOrAFifo)
{
    const QString fifo = Fifo("fifo.QRO4000Config");
    // A device node of our own (the same device as /dev/null), so nothing of the system's is at risk.
    const QString node = Path("null.QRO4000Config");
    ASSERT_EQ(::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0600, makedev(1, 3)), 0) << "mknod needs root";
    for (const QString& target : {fifo, node}) {
        const CliRun run = Run({"-p", "SIM", "save-config", target});
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(target + " is not a regular file")) << run.err.toStdString();
        EXPECT_FALSE(Contacted(run)) << "the destination is checked before the amplifier is looked for";
    }
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    ASSERT_EQ(::stat(QFile::encodeName(node).constData(), &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

// A crafted file with a fresh CRC that gives the first line's addresses twice.
TEST_F(DataSafetyCli, FileThatRepeatsARecordIsRefusedWithItsLine)
{
    QList<QByteArray> lines = Read(ConfigFile("dup.QRO4000Config", 0x22)).split('\n');
    for (QByteArray& line : lines)
        line.chop(line.endsWith('\r') ? 1 : 0);
    lines.removeLast(); // the empty text after the last line end
    lines.removeLast(); // the CRC line, made again below
    lines.insert(7, lines[6]);
    CCrc32 crc;
    for (const QByteArray& line : lines)
        crc.Update(line.constData(), static_cast<std::size_t>(line.size()));
    lines << QByteArray("CRC32 = 0x") + QByteArray::number(crc.Register(), 16).toUpper().rightJustified(8, '0');
    QFile file(Path("dup.QRO4000Config"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(lines.join("\r\n") + "\r\n");
    file.close();

    const QString refused = "Line 8, error code 0xE2000075: A memory line repeats or overlaps addresses given by an "
                            "earlier line (addresses 0x00000 to 0x0003F, 64 bytes)";
    const CliRun check = Run({"check-config", file.fileName()});
    EXPECT_EQ(check.exitCode, 1);
    EXPECT_TRUE(check.err.contains(refused)) << check.err.toStdString();
    const CliRun restore = Run({"-p", "SIM", "--yes", "restore-config", file.fileName()});
    EXPECT_EQ(restore.exitCode, 1);
    EXPECT_TRUE(restore.err.contains(refused)) << restore.err.toStdString();
    EXPECT_FALSE(Contacted(restore));
}

TEST_F(DataSafetyCli, DiffConfigAnswersAsDiffDoes)
{
    const QString a = ConfigFile("a.QRO4000Config", 0x11);
    const QString b = ConfigFile("b.QRO4000Config", 0x12);
    EXPECT_EQ(Run({"diff-config", a, a}).exitCode, 0);
    EXPECT_EQ(Run({"diff-config", a, b}).exitCode, 1);
    EXPECT_EQ(Run({"diff-config", a, Path("missing")}).exitCode, 2);
}

TEST_F(DataSafetyCli, PortNameTooLongIsSaidSoAndNotEchoedWhole)
{
    const CliRun run = Run({"-p", QString(10240, 'x'), "info"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(run.err.startsWith("qro4000: the port name is too long (10240 characters): xxx")) << run.err.toStdString();
    EXPECT_LT(run.err.size(), 200);
}

// The amplifier vanishes in the middle of the writes: the user is told that its memory is now
// partly written, as after Ctrl+C.
TEST_F(DataSafetyCli, RestoreThatLosesTheAmplifierSaysItIsPartlyWritten)
{
    const QString file = ConfigFile("r.QRO4000Config", 0x33);
    const QString link = Path("amp");
    CChild sim;
    sim.Process().start(QStringLiteral(QRO_SIM_PATH), {"--link", link, "--no-pace", "--baud", "38400"});
    ASSERT_TRUE(sim.Process().waitForReadyRead(10000));

    CChild cli;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("HOME"), m_dir.path());
    e.insert(QStringLiteral("XDG_CONFIG_HOME"), Path("config"));
    cli.Process().setProcessEnvironment(e);
    cli.Process().setStandardInputFile(QProcess::nullDevice());
    cli.Process().start(QStringLiteral(QRO_CLI_PATH), {"-p", link, "--yes", "--trace", "restore-config", file});
    QByteArray err;
    while (err.count("Send \"^ew") < 50 && cli.Process().waitForReadyRead(20000))
        err += cli.Process().readAllStandardError();
    ASSERT_GE(err.count("Send \"^ew"), 50) << err.toStdString();
    sim.Stop();
    ASSERT_TRUE(cli.Process().waitForFinished(60000));
    err += cli.Process().readAllStandardError();
    EXPECT_EQ(cli.Process().exitCode(), 1);
    EXPECT_TRUE(err.contains("Failed to restore configuration")) << err.right(2000).toStdString();
    EXPECT_TRUE(err.contains("Warning: Critical Operation in Progress: The amplifier's configuration is now partly "
                             "written."))
        << err.right(2000).toStdString();
}
