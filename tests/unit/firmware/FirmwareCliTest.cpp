// The command-line program's firmware commands, run as a user runs them: the built qro4000 on
// its built-in simulated amplifier (port SIM), with its settings and folders in a temporary
// directory. Skipped when the program has not been built.
#include "HexTestFiles.h"
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {
struct CRun {
    int exitCode = -1;
    QString out;
    QString err;
};

class FirmwareCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        program = QStringLiteral(QRO_BINARY_DIR "/qro4000");
        if (!QFileInfo(program).isExecutable())
            GTEST_SKIP() << "qro4000 is not built";
        firmwareFolder = QDir(dir.path()).filePath("data/Brimwell/QRO4000 Firmware");
        QDir().mkpath(firmwareFolder);
    }

    CRun Run(const QStringList& arguments, const QString& simOptions = "revision-after-load=154,erase-ms=100")
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("XDG_DATA_HOME", dir.filePath("data"));
        env.insert("QRO4000_SIM", simOptions);
        process.setProcessEnvironment(env);
        process.setStandardInputFile(QProcess::nullDevice());
        process.start(program, arguments);
        CRun run;
        if (!process.waitForFinished(120000))
            return run;
        run.exitCode = process.exitCode();
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    QString WriteFirmware(const QString& folder, const QString& name, const QByteArray& text = Image())
    {
        QFile file(QDir(folder).filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    }

    // 3000 bytes from 0x1D000000: six packets.
    static QByteArray Image()
    {
        QByteArray text = CHexTestFiles::Record(4, 0, {0x1D, 0x00});
        for (int at = 0; at < 3000; at += 20) {
            std::vector<BYTE> bytes(20);
            for (int i = 0; i < 20; ++i)
                bytes[i] = static_cast<BYTE>(at + i);
            text += CHexTestFiles::Record(0, static_cast<WORD>(at), bytes);
        }
        return text + ":00000001FF\r\n";
    }

    QTemporaryDir dir;
    QString program;
    QString firmwareFolder;
};

TEST_F(FirmwareCli, HexCheckShowsRangeAndUsedSize)
{
    const CRun run = Run({"hex-check", WriteFirmware(dir.path(), "qro4000fw0154.hex")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("Intel HEX file is valid: 152 records, 3000 data bytes\n")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("Address range: 0x1D000000 - 0x1D000BB7\n")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("Used size:     3072 bytes (6 packets of 512 bytes")) << run.out.toStdString();
}

TEST_F(FirmwareCli, HexCheckNamesTheLineOfTheError)
{
    const QString path = WriteFirmware(dir.path(), "bad.hex", ":020000041D00DD\r\n:0401000001020304F2\r\n");
    const CRun run = Run({"hex-check", path});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("Line 2, error code 0xE2000022: intel hex line checksum error\n"))
        << run.err.toStdString();
}

TEST_F(FirmwareCli, HexCheckRefusesAnImageWithNoDataForTheFirmwareArea)
{
    // 2 bytes at 0x1D080000, just above the window.
    const QString path
        = WriteFirmware(dir.path(), "qro4000fw0154.hex", ":020000041D08D5\r\n:02000000AABB99\r\n:00000001FF\r\n");
    const CRun run = Run({"hex-check", path});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.contains("Data bytes:    0 inside the firmware window, 2 outside it (ignored)\n"))
        << run.out.toStdString();
    EXPECT_TRUE(run.err.startsWith("Refused: no data for the firmware area in " + path)) << run.err.toStdString();
}

// The README's demonstration: an image made by qro4000-sim carries its revision, which the
// simulated amplifier then reports, so the load ends verified.
TEST_F(FirmwareCli, DemonstrationImageOfTheSimulatorLoadsAndVerifies)
{
    const QString image = QDir(firmwareFolder).filePath("qro4000fw0163.hex");
    EXPECT_EQ(
        QProcess::execute(QStringLiteral(QRO_BINARY_DIR "/qro4000-sim"), {"--make-image", image, "--revision", "163"}),
        0);
    const CRun run = Run({"-p", "SIM", "--yes", "firmware", "load", "--no-backup"}, "erase-ms=100");
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("QRO4000 responded with revision 01.63")) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("QRO4000 verification succeeded\n")) << run.out.toStdString();
}

TEST_F(FirmwareCli, DamagedFileIsRefusedBeforeContact)
{
    const QString path = WriteFirmware(dir.path(), "qro4000fw0154.hex", ":020000041D00DD\r\n");
    const CRun run = Run({"-p", "SIM", "--yes", "firmware", "load", path, "--no-backup"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("Line 2, error code 0xE2000023: Missing intel hex end-of-file record"))
        << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("Attempting to contact")) << run.err.toStdString();
}

TEST_F(FirmwareCli, LoadNeedsConfirmation)
{
    WriteFirmware(firmwareFolder, "qro4000fw0154.hex");
    const CRun run = Run({"-p", "SIM", "firmware", "load", "--no-backup"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("Firmware load not started")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("Sending firmware file")) << run.err.toStdString();
}

TEST_F(FirmwareCli, LoadsTheNewestFileAndChecksTheRevision)
{
    WriteFirmware(firmwareFolder, "qro4000fw0150.hex");
    WriteFirmware(firmwareFolder, "qro4000fw0154.hex");
    const CRun run = Run({"-p", "SIM", "--yes", "firmware", "load", "--no-backup"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("Sending firmware file " + firmwareFolder + "/qro4000fw0154.hex to QRO4000"))
        << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("QRO4000 verification succeeded\nQRO4000 firmware load is complete\n"))
        << run.out.toStdString();
}

TEST_F(FirmwareCli, RevisionThatDoesNotMatchFailsTheLoad)
{
    const QString path = WriteFirmware(dir.path(), "qro4000fw0154.hex");
    const CRun run
        = Run({"-p", "SIM", "--yes", "firmware", "load", path, "--no-backup"}, "revision-after-load=160,erase-ms=100");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("Error code 0xE2000046: Revision number verification failed"))
        << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("QRO4000 responded with revision 01.60")) << run.err.toStdString();
}

TEST_F(FirmwareCli, StatusComparesInstalledAndAvailable)
{
    WriteFirmware(firmwareFolder, "qro4000fw0154.hex");
    const CRun run = Run({"-p", "SIM", "--json", "firmware", "status"});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("\"installed\":\"01.53\"")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("\"available\":\"01.54\"")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("\"newerAvailable\":true")) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains("\"releaseNotes\":false")) << run.out.toStdString();
}
} // namespace

namespace {
// --yes answers a script's questions, not a downgrade: only --downgrade lets an older file go.
TEST_F(FirmwareCli, OlderRevisionIsSentOnlyWithDowngrade)
{
    WriteFirmware(firmwareFolder, "qro4000fw0150.hex");
    CRun run = Run({"-p", "SIM", "--yes", "firmware", "load", "--no-backup"}, "erase-ms=100");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("Refused: qro4000fw0150.hex is revision 01.50, older than revision 01.53 installed "
                                 "in the QRO4000. Add --downgrade to send the older revision.\n"))
        << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("Sending firmware file")) << run.err.toStdString();
    EXPECT_TRUE(Run({"-p", "SIM", "firmware", "status"})
                    .out.contains("The firmware folder holds an older revision than the one installed\n"));
    run = Run({"-p", "SIM", "--yes", "firmware", "load", "--no-backup", "--downgrade"},
        "revision-after-load=150,erase-ms=100");
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains("QRO4000 verification succeeded\n")) << run.out.toStdString();
}
} // namespace
