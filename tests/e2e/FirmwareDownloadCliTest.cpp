// "qro4000 firmware download" as a user runs it, against a real FTP server on loopback.
#include "CliProcess.h"
#include "FtpTestServer.h"
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {
const QByteArray kGoodHex = ":020000041D00DD\r\n:0400000001020304F2\r\n:00000001FF\r\n";

class FirmwareDownloadCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        ASSERT_TRUE(server.IsRunning());
        folder = home.filePath("firmware");
    }
    CFtpTestServer server;
    QTemporaryDir home;
    QString folder;
};

TEST_F(FirmwareDownloadCli, TheFileServerSettingIsUsedAndTheCopiedPathIsPrinted)
{
    server.Put("qro4000fw0160.hex", kGoodHex);
    QDir().mkpath(home.filePath("config/Brimwell"));
    QFile settings(home.filePath("config/Brimwell/QRO4000 Utility.conf"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write("[General]\nFileServer=" + server.Url().toUtf8() + "\n");
    settings.close();

    const CliRun run = RunCli(home, {"firmware", "download", "--folder", folder});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QString copied = QDir(folder).filePath("qro4000fw0160.hex");
    EXPECT_EQ(run.out, copied + "\n");
    EXPECT_TRUE(run.err.contains("Copied 1 files from Brimwell to " + folder)) << run.err.toStdString();
    QFile file(copied);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), kGoodHex);
}

TEST_F(FirmwareDownloadCli, ADamagedFileFailsTheCommandAndLeavesNothing)
{
    server.Put("qro4000fw0160.hex", "garbage");
    const CliRun run = RunCli(home, {"firmware", "download", "--server", server.Url(), "--folder", folder});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains("Unable to copy file qro4000fw0160.hex")) << run.err.toStdString();
    EXPECT_TRUE(run.err.endsWith("Error code 0xE20000B0: Not every file could be copied from the file server\n"));
    EXPECT_TRUE(QDir(folder).isEmpty());

    const CliRun usage = RunCli(home, {"firmware", "download", "--server"});
    EXPECT_EQ(usage.exitCode, 2);
}
} // namespace
