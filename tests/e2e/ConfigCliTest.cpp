// The configuration commands of qro4000 as a user runs them, on the built-in simulated
// amplifier: save, check, a tampered file refused with nothing written, and a restore.
#include "CliProcess.h"

using ConfigCli = CliTest;

TEST_F(ConfigCli, SaveCheckAndRestoreRoundTripAndATamperedFileIsRefusedWithNothingWritten)
{
    const QString file = Path("amp.QRO4000Config");
    const CliRun save = Run({"-p", "SIM", "save-config", file});
    ASSERT_EQ(save.exitCode, 0) << save.err.toStdString();
    const QByteArray saved = ReadWholeFile(file);
    EXPECT_TRUE(saved.startsWith("*QRO4000 Configuration saved on "));
    EXPECT_TRUE(saved.contains("\r\nQRO4000 Serial Number = 01234\r\n"));
    EXPECT_EQ(saved.count("\r\nMEM4 "), 4096);

    const CliRun check = Run({"check-config", file});
    EXPECT_EQ(check.exitCode, 0) << check.err.toStdString();

    const CliRun restore = Run({"-p", "SIM", "--yes", "restore-config", file});
    EXPECT_EQ(restore.exitCode, 0) << restore.err.toStdString();
    EXPECT_THAT(restore.out, HasText("Serial numbers match (01234)"));
    EXPECT_THAT(restore.out, HasText("229360 bytes")); // 0x37FF0
    EXPECT_THAT(restore.out, HasText("Configuration was restored"));

    // Without --yes nothing is written, nor from a tampered file.
    const CliRun unconfirmed = Run({"-p", "SIM", "--trace", "restore-config", file});
    EXPECT_EQ(unconfirmed.exitCode, 1);
    EXPECT_THAT(unconfirmed.err, HasText("--yes"));
    EXPECT_FALSE(unconfirmed.err.contains("Send \"^ew"));

    // One hex digit of the first memory line's data changed.
    QByteArray text = ReadWholeFile(file);
    const qsizetype at = text.indexOf("MEM4 00000000 40 ") + 17;
    text[at] = text[at] == '0' ? '1' : '0';
    ASSERT_TRUE(WriteWholeFile(file, text));
    EXPECT_EQ(Run({"check-config", file}).exitCode, 1);
    const CliRun tampered = Run({"-p", "SIM", "--yes", "--trace", "restore-config", file});
    EXPECT_EQ(tampered.exitCode, 1);
    EXPECT_THAT(tampered.err, HasText("The configuration file has been altered after it was saved."));
    EXPECT_FALSE(tampered.err.contains("Send \"^ew")) << "a write went out";
}
