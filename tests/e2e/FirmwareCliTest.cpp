// The firmware commands of qro4000 as a user runs them, on the built-in simulated amplifier.
#include "CliProcess.h"
#include "HexTestFiles.h"
#include <QDir>

namespace {
class FirmwareCli : public CliTest {
protected:
    QString WriteFirmware(const QString& folder, const QString& name, const QByteArray& text = Image())
    {
        const QString path = QDir(folder).filePath(name);
        EXPECT_TRUE(WriteWholeFile(path, text));
        return path;
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
    const QString firmwareFolder = Path("data/Brimwell/QRO4000 Firmware");
};

// A good file shows its range and size (what a damaged or misplaced one says: IntelHexFailure).
TEST_F(FirmwareCli, HexCheckSaysWhatTheFileHolds)
{
    const CliRun run = Run({"hex-check", WriteFirmware(m_dir.path(), "qro4000fw0154.hex")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_THAT(run.out, HasText("Intel HEX file is valid: 152 records, 3000 data bytes\n"));
    EXPECT_THAT(run.out, HasText("Address range: 0x1D000000 - 0x1D000BB7\n"));
    EXPECT_THAT(run.out, HasText("Used size:     3072 bytes (6 packets of 512 bytes"));
}

// The newest file goes, after a yes (here the README's demonstration image, made by qro4000-sim:
// it carries its revision, which the simulated amplifier then reports, so the load ends verified).
TEST_F(FirmwareCli, StatusAndLoadOfTheNewestFileWithItsRevisionChecked)
{
    WriteFirmware(firmwareFolder, "qro4000fw0150.hex");
    const QString image = QDir(firmwareFolder).filePath("qro4000fw0163.hex");
    EXPECT_EQ(QProcess::execute(QStringLiteral(QRO_SIM_PATH), {"--make-image", image, "--revision", "163"}), 0);
    const CliRun status = Run({"-p", "SIM", "--json", "firmware", "status"});
    EXPECT_EQ(status.exitCode, 0) << status.err.toStdString();
    EXPECT_THAT(status.out, HasText("\"installed\":\"01.53\""));
    EXPECT_THAT(status.out, HasText("\"available\":\"01.63\""));
    EXPECT_THAT(status.out, HasText("\"newerAvailable\":true"));
    EXPECT_THAT(status.out, HasText("\"releaseNotes\":false"));

    CliRun run = Run({"-p", "SIM", "firmware", "load", "--no-backup"}, ",erase-ms=100");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasText("Firmware load not started"));
    EXPECT_THAT(run.err, ::testing::Not(HasText("Sending firmware file")));
    run = Run({"-p", "SIM", "--yes", "firmware", "load", "--no-backup"}, ",erase-ms=100");
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_THAT(run.err, HasText("Sending firmware file " + image + " to QRO4000"));
    EXPECT_THAT(run.err, HasText("QRO4000 responded with revision 01.63"));
    EXPECT_THAT(run.out, HasText("QRO4000 verification succeeded\nQRO4000 firmware load is complete\n"));
}

// --yes answers a script's questions, not a downgrade: only --downgrade lets an older file go.
TEST_F(FirmwareCli, OlderRevisionIsSentOnlyWithDowngrade)
{
    WriteFirmware(firmwareFolder, "qro4000fw0150.hex");
    CliRun run = Run({"-p", "SIM", "--yes", "firmware", "load", "--no-backup"}, QStringLiteral(",erase-ms=100"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err,
        HasText("Refused: qro4000fw0150.hex is revision 01.50, older than revision 01.53 installed "
                "in the QRO4000. Add --downgrade to send the older revision.\n"));
    EXPECT_THAT(run.err, ::testing::Not(HasText("Sending firmware file")));
    EXPECT_TRUE(Run({"-p", "SIM", "firmware", "status"})
                    .out.contains("The firmware folder holds an older revision than the one installed\n"));
    run = Run({"-p", "SIM", "--yes", "firmware", "load", "--no-backup", "--downgrade"},
        QStringLiteral(",revision-after-load=150,erase-ms=100"));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_THAT(run.out, HasText("QRO4000 verification succeeded\n"));
}
} // namespace
