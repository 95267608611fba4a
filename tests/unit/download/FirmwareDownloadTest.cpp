// The copy from the file server against a real FTP server on loopback: what is chosen, what
// lands in the firmware folder, and what the user reads when it goes wrong.
#include "firmware/download/FirmwareDownload.h"
#include "RowName.h"
#include "EventLoop.h"
#include "FtpTestServer.h"
#include "TestFiles.h"
#include "model/ResultCode.h"
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {
using ::operator<<;
// A whole image in three records: the window's base, four bytes, the end.
const QByteArray kGoodHex = ":020000041D00DD\r\n:0400000001020304F2\r\n:00000001FF\r\n";
// The same with one checksum digit wrong.
const QByteArray kBadHex = ":020000041D00DD\r\n:0400000001020304F3\r\n:00000001FF\r\n";
const QByteArray kNotes = "{\\rtf1 notes}";

class CRecordingDownloadSink : public IFirmwareDownloadSink {
public:
    void OnDownloadLine(Line, const QString& text) override { lines << text; }
    void OnDownloadProgress(qint64 received, qint64) override { lastReceived = received; }
    void OnDownloadFinished(DWORD code) override
    {
        finished = true;
        result = code;
    }
    QString Text() const { return lines.join('\n'); }

    QStringList lines;
    qint64 lastReceived = -1;
    bool finished = false;
    DWORD result = 0xFFFFFFFF;
};

class FirmwareDownload : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        EnsureApplication();
        s_server = new CFtpTestServer;
    }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }

    // Each case has a folder of its own on the suite's one server.
    void SetUp() override
    {
        ASSERT_TRUE(server.IsRunning());
        server.UseStartFolder(QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    }

    void PutLocal(const QString& name, const QByteArray& bytes) { WriteWholeFile(local.filePath(name), bytes); }
    QByteArray ReadLocal(const QString& name) const { return ReadWholeFile(local.filePath(name)); }
    QStringList LocalFiles() const { return QDir(local.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }

    // Runs a copy to its end (or until `during` asks to stop waiting).
    void Run(const QString& url, const std::function<bool()>& during = {})
    {
        download.Start(url, local.path());
        RunEventsUntil([&] { return sink.finished || (during && during()); }, 30000);
    }

    static inline CFtpTestServer* s_server = nullptr;
    CFtpTestServer& server = *s_server;
    QTemporaryDir local;
    CRecordingDownloadSink sink;
    CFirmwareDownload download {&sink};
};

TEST_F(FirmwareDownload, NewerFirmwareAndItsNotesAreCopiedVerifiedAndNamedInTheLog)
{
    PutLocal("qro4000fw0150.hex", kGoodHex);
    server.Put("qro4000fw0140.hex", kGoodHex);
    server.Put("qro4000fw0160.hex", kGoodHex + "\r\n");
    server.Put("qro4000fw0161B.hex", kGoodHex);
    server.Put("qro4000fwnotes.rtf", kNotes);
    QDir(server.FirmwareFolder()).mkdir("qro4000fw0199.hex");
    Run(server.Url());

    EXPECT_EQ(sink.result, 0u) << sink.Text().toStdString();
    EXPECT_EQ(download.CopyList(), QStringList({"qro4000fw0160.hex", "qro4000fwnotes.rtf"}));
    EXPECT_EQ(LocalFiles(), QStringList({"qro4000fw0150.hex", "qro4000fw0160.hex", "qro4000fwnotes.rtf"}));
    EXPECT_EQ(ReadLocal("qro4000fw0160.hex"), kGoodHex + "\r\n");
    EXPECT_EQ(ReadLocal("qro4000fwnotes.rtf"), kNotes);
    const QString folder = local.path();
    for (const QString& line : {"Opening connection to 127.0.0.1:" + QString::number(QUrl(server.Url()).port()),
             QStringLiteral("Connected to Brimwell server\nPlease be patient, this takes a few seconds"),
             "Navigating to " + QUrl(server.Url()).path().mid(1) + "/QRO4000/firmware",
             QStringLiteral("Found file \"qro4000fw0140.hex\""), "Copying files to " + folder,
             QDir(folder).filePath("qro4000fw0160.hex") + " verification succeeded",
             QStringLiteral("Copied qro4000fw0160.hex from Brimwell"), "Copied 2 files from Brimwell to " + folder,
             QStringLiteral("CFtpDlg::Finish All Copy Complete State 5 dwErrorCode 0x00000000 fForceError 0")})
        EXPECT_TRUE(sink.lines.contains(line)) << line.toStdString() << "\n" << sink.Text().toStdString();
    EXPECT_FALSE(sink.Text().contains("Found file \"qro4000fw0199.hex\"")) << "a folder is no file";
    EXPECT_EQ(server.CountLog("RETR " + server.FirmwareFolder(), 2, 2000), 2);
}

TEST_F(FirmwareDownload, NothingIsCopiedWhenOnlyTheNotesOrAnEqualRevisionAreThere)
{
    PutLocal("qro4000fw0150.hex", kGoodHex);
    PutLocal("qro4000fwnotes.rtf", "old notes");
    server.Put("qro4000fw0150.hex", kBadHex);
    server.Put("qro4000fwnotes.rtf", kNotes);
    Run(server.Url());

    EXPECT_EQ(sink.result, 0u) << sink.Text().toStdString();
    EXPECT_TRUE(download.CopyList().isEmpty());
    EXPECT_EQ(ReadLocal("qro4000fwnotes.rtf"), "old notes");
    EXPECT_TRUE(sink.lines.contains("The firmware folder already holds the newest files of the Brimwell file server"));
    EXPECT_EQ(server.CountLog("RETR " + server.FirmwareFolder()), 0);
}

TEST_F(FirmwareDownload, ADamagedFileIsFetchedThreeTimesAndNeverLandsInTheFolder)
{
    PutLocal("qro4000fw0150.hex", kGoodHex);
    server.Put("qro4000fw0160.hex", kBadHex);
    Run(server.Url());

    EXPECT_EQ(sink.result, Result::NotEveryFileCopied);
    EXPECT_EQ(LocalFiles(), QStringList({"qro4000fw0150.hex"})) << "no partial or temporary file is left";
    EXPECT_EQ(server.CountLog("RETR " + server.FirmwareFolder(), 3, 2000), 3);
    const QString path = QDir(local.path()).filePath("qro4000fw0160.hex");
    EXPECT_EQ(sink.lines.count("Verification of firmware file " + path + " failed"), 3);
    EXPECT_EQ(sink.lines.count("Line 2, error code 0xE2000022: intel hex line checksum error"), 3);
    EXPECT_TRUE(sink.lines.contains("Copying qro4000fw0160.hex again (try 3 of 3)"));
    EXPECT_TRUE(sink.lines.contains("Unable to copy file qro4000fw0160.hex"));
    EXPECT_TRUE(sink.lines.contains("Copied 0 files from Brimwell to " + local.path()));
}

// Release notes of 4029 bytes: whole, or damaged at the same size (their last brace lost).
struct CutRow {
    const char* what;
    const char* cut; // ".cut": bytes, and how many transfers are cut
    bool damaged;
};
const CutRow kCutRows[] = {{"CutTwiceThenWhole", "1343 2", false}, {"DamagedAtItsFullSize", "0 0", true}};
class FirmwareDownloadCut : public FirmwareDownload, public ::testing::WithParamInterface<CutRow> { };

TEST_P(FirmwareDownloadCut, NotesThatDoNotArriveWholeAreFetchedAgainAndNeverLand)
{
    QByteArray notes = "{\\rtf1 " + QByteArray(4021, 'n') + "}";
    if (GetParam().damaged)
        notes.back() = ' ';
    PutLocal("qro4000fw0150.hex", kGoodHex);
    server.Put("qro4000fw0160.hex", kGoodHex);
    server.Put("qro4000fwnotes.rtf", notes);
    server.Put(".cut", GetParam().cut);
    Run(server.Url());

    EXPECT_EQ(server.CountLog("RETR " + server.FirmwareFolder() + "/qro4000fwnotes.rtf", 3, 2000), 3);
    EXPECT_EQ(ReadLocal("qro4000fw0160.hex"), kGoodHex);
    EXPECT_TRUE(sink.lines.contains("Copying qro4000fwnotes.rtf again (try 3 of 3)")) << sink.Text().toStdString();
    if (GetParam().damaged) {
        EXPECT_EQ(sink.result, Result::NotEveryFileCopied);
        EXPECT_FALSE(LocalFiles().contains("qro4000fwnotes.rtf"));
        EXPECT_TRUE(sink.Text().contains("Error 0xE20000BF: The release notes are not a whole RTF document"));
    } else {
        EXPECT_EQ(sink.result, 0u) << sink.Text().toStdString();
        EXPECT_EQ(ReadLocal("qro4000fwnotes.rtf"), notes);
        EXPECT_TRUE(sink.Text().contains("0xE20000BE"));
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, FirmwareDownloadCut, ::testing::ValuesIn(kCutRows),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(FirmwareDownload, HostileNamesOfTheListingAreSkippedAndNeverWritten)
{
    // Each would be the newest firmware file if its name were taken as it stands.
    server.Put("../qro4000fw0170.hex", kGoodHex); // lands beside the firmware folder on the server
    server.SetListing("-rw-r--r-- 1 u g 52 Jan 01 00:00 ../qro4000fw0170.hex\r\n"
                      "-rw-r--r-- 1 u g 52 Jan 01 00:00 qro4000fw0171\x01.hex\r\n"
                      "-rw-r--r-- 1 u g 52 Jan 01 00:00 C:qro4000fw0172.hex\r\n"
                      "-rw-r--r-- 1 u g 52 Jan 01 00:00 qro4000fw0160.hex\r\n");
    server.Put("qro4000fw0160.hex", kGoodHex);
    Run(server.Url());

    EXPECT_EQ(sink.result, 0u) << sink.Text().toStdString();
    EXPECT_EQ(download.CopyList(), QStringList({"qro4000fw0160.hex"}));
    EXPECT_EQ(LocalFiles(), QStringList({"qro4000fw0160.hex"}));
    EXPECT_FALSE(QFile::exists(QDir(local.path()).filePath("../qro4000fw0170.hex")));
    for (const char* shown : {"../qro4000fw0170.hex", "qro4000fw0171\\x01.hex", "C:qro4000fw0172.hex"})
        EXPECT_TRUE(sink.Text().contains(QStringLiteral("Skipped \"%1\" of the server's listing").arg(shown))) << shown;
}

// A failure that no second try can mend ends the copy with its code and names it.
struct FailureRow {
    const char* what;
    QString (*prepare)(CFtpTestServer& server, const QString& local); // answers the address
    DWORD code;
    const char* reported;
};

const FailureRow kFailureRows[] = {
    {"ServerDown",
        [](CFtpTestServer&, const QString&) {
            return QStringLiteral("ftp://127.0.0.1:%1").arg(CFtpTestServer::UnusedPort());
        },
        12029, "completed with error 0x00002EFD: The attempt to connect to the server failed."},
    {"NoFtpAddress", [](CFtpTestServer&, const QString&) { return QStringLiteral("http://127.0.0.1/"); }, 12006,
        "Internet Session Open completed with error 0x00002EE6: The URL scheme could not be recognized, or is not "
        "supported."},
    {"MissingServerFolderWithTheServersAnswer",
        [](CFtpTestServer& server, const QString&) {
            QDir(server.FirmwareFolder()).removeRecursively();
            return server.Url();
        },
        12003,
        "/QRO4000/firmware completed with error 0x00002EE3: An extended error was returned from the server. "
        "This is typically a string or buffer containing a verbose error message. Call "
        "InternetGetLastResponseInfo to retrieve the error text.\r\nInternetGetLastResponseInfo returns "
        "0x00000226 550 No such file or directory."},
    {"FileLargerThanAnyFirmware",
        [](CFtpTestServer& server, const QString&) {
            server.Put("qro4000fw0160.hex", {});
            QFile(QDir(server.FirmwareFolder()).filePath("qro4000fw0160.hex")).resize(33 * 1024 * 1024);
            return server.Url();
        },
        Result::ServerSentTooMuch,
        "Copy of qro4000fw0160.hex completed with error 0xE20000B1: The file server sent more data "},
    {"FolderInTheWayOfTheCopy",
        [](CFtpTestServer& server, const QString& local) {
            server.Put("qro4000fw0160.hex", kGoodHex);
            QDir(local).mkdir("qro4000fw0160.hex");
            return server.Url();
        },
        Result::NotRegularFile,
        "qro4000fw0160.hex is not a regular file (it is a device, a pipe or a folder): choose a file"},
};

class FirmwareDownloadFailure : public FirmwareDownload, public ::testing::WithParamInterface<FailureRow> { };

TEST_P(FirmwareDownloadFailure, EndsTheCopyWithItsCodeAndText)
{
    const FailureRow& row = GetParam();
    Run(row.prepare(server, local.path()));
    EXPECT_EQ(sink.result, row.code);
    EXPECT_TRUE(sink.Text().contains(QString::fromUtf8(row.reported))) << sink.Text().toStdString();
    EXPECT_TRUE(LocalFiles().isEmpty());
    EXPECT_TRUE(sink.lines.last().startsWith("CFtpDlg::Finish ")) << "the session is closed";
}

INSTANTIATE_TEST_SUITE_P(Rows, FirmwareDownloadFailure, ::testing::ValuesIn(kFailureRows),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(FirmwareDownload, CancelDuringASlowCopyEndsAtOnceAndLeavesNoPartialFile)
{
    CFtpTestServer slow(20000);
    ASSERT_TRUE(slow.IsRunning());
    slow.Put("qro4000fw0160.hex", QByteArray(400000, ':'));
    Run(slow.Url(), [this] { return sink.lastReceived > 0; });
    ASSERT_GT(sink.lastReceived, 0);
    ASSERT_EQ(download.GetState(), CFirmwareDownload::GettingFile);

    EXPECT_TRUE(download.Cancel());
    EXPECT_EQ(sink.result, Result::Cancelled);
    EXPECT_EQ(download.GetState(), CFirmwareDownload::Closed);
    EXPECT_TRUE(LocalFiles().isEmpty()) << LocalFiles().join(' ').toStdString();
}
} // namespace
