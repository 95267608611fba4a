// "qro4000 firmware download" as a user runs it, against a real FTP server on loopback.
#include "CliProcess.h"
#include "FtpTestServer.h"
#include <QDir>

TEST(FirmwareDownloadCli, ADamagedFileFailsTheCommandAndAGoodOneFromTheSettingIsPrinted)
{
    EnsureApplication();
    CFtpTestServer server;
    ASSERT_TRUE(server.IsRunning());
    QTemporaryDir home;
    const QString folder = home.filePath("firmware");
    server.Put("qro4000fw0160.hex", "garbage");
    const CliRun failed = RunCli(home, {"firmware", "download", "--server", server.Url(), "--folder", folder});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_TRUE(failed.out.isEmpty());
    EXPECT_THAT(failed.err, HasText("Unable to copy file qro4000fw0160.hex"));
    EXPECT_TRUE(failed.err.endsWith("Error code 0xE20000B0: Not every file could be copied from the file server\n"));
    EXPECT_TRUE(QDir(folder).isEmpty());

    const QByteArray good = ":020000041D00DD\r\n:0400000001020304F2\r\n:00000001FF\r\n";
    server.Put("qro4000fw0160.hex", good);
    WriteWholeFile(
        home.filePath("config/Brimwell/QRO4000 Utility.conf"), "[General]\nFileServer=" + server.Url().toUtf8() + "\n");
    const CliRun copied = RunCli(home, {"firmware", "download", "--folder", folder});
    EXPECT_EQ(copied.exitCode, 0) << copied.err.toStdString();
    const QString path = QDir(folder).filePath("qro4000fw0160.hex");
    EXPECT_EQ(copied.out, path + "\n");
    EXPECT_THAT(copied.err, HasText("Copied 1 files from Brimwell to " + folder));
    EXPECT_EQ(ReadWholeFile(path), good);
    EXPECT_EQ(RunCli(home, {"firmware", "download", "--server"}).exitCode, 2);
}
