// The folder listing and the names in it, as servers send them; and the server address.
#include "firmware/download/FtpListing.h"
#include "RowName.h"
#include "firmware/download/FileServerAddress.h"
#include <gtest/gtest.h>

namespace {
using ::operator<<;
using Kind = CFtpListEntry::Kind;

TEST(FtpListing, EachLineParsesAsTheServerMeantIt)
{
    const struct {
        const char* what;
        const char* line;
        bool parses;
        const char* name;
        Kind kind;
        qint64 size;
    } rows[] = {
        {"UnixFileWithTime", "-rw-r--r--   1 ftp ftp  1456789 Jan 05 12:00 qro4000fw0150.hex\r\n", true,
            "qro4000fw0150.hex", Kind::File, 1456789},
        {"UnixFileWithYearAndNumericOwner", "-rw-r--r-- 1 1000 1000 42 Mar  5  2023 qro4000fwnotes.rtf", true,
            "qro4000fwnotes.rtf", Kind::File, 42},
        {"UnixFolder", "drwxr-xr-x 2 root root 4096 Dec 31 23:59 old", true, "old", Kind::Directory, 4096},
        {"UnixWithoutGroupColumn", "-rw-r--r-- 1 owner 7 Feb 10 09:15 a.hex", true, "a.hex", Kind::File, 7},
        {"NameKeepsItsSpaces", "-rw-r--r-- 1 u g 3 Feb 10 09:15  two  spaces.hex", true, " two  spaces.hex", Kind::File,
            3},
        {"LinkNamedWithoutTarget", "lrwxrwxrwx 1 u g 17 Feb 10 09:15 latest.hex -> qro4000fw0150.hex", true,
            "latest.hex", Kind::File, 17},
        {"DeviceIsNeitherFileNorFolder", "crw-rw-rw- 1 root root 0 Jan 1 2020 null", true, "null", Kind::Other, 0},
        {"DosFile", "01-05-24  10:30AM             12345 qro4000fw0150.hex", true, "qro4000fw0150.hex", Kind::File,
            12345},
        {"DosFolder", "01-05-2024  10:30PM       <DIR>          firmware old", true, "firmware old", Kind::Directory,
            -1},
        {"TotalLineIsNoEntry", "total 12", false, "", Kind::Other, -1},
        {"SizeThatIsNoNumber", "-rw-r--r-- 1 u g 12x Feb 10 09:15 a.hex", false, "", Kind::Other, -1},
        {"DateWithoutName", "-rw-r--r-- 1 u g 12 Feb 10 09:15", false, "", Kind::Other, -1},
    };
    for (const auto& row : rows) {
        CFtpListEntry entry;
        ASSERT_EQ(FtpListing::ParseLine(row.line, &entry), row.parses) << row.what;
        if (row.parses) {
            EXPECT_EQ(entry.name, QString::fromUtf8(row.name)) << row.what;
            EXPECT_EQ(entry.kind, row.kind) << row.what;
            EXPECT_EQ(entry.size, row.size) << row.what;
        }
    }
}

TEST(FtpListing, AWholeListingKeepsTheServersOrderAndSkipsWhatIsNoEntry)
{
    const QList<CFtpListEntry> entries = FtpListing::Parse("total 8\r\n"
                                                           "-rw-r--r-- 1 u g 1 Jan 01 00:00 b.hex\r\n"
                                                           "garbage\n"
                                                           "-rw-r--r-- 1 u g 2 Jan 01 00:00 a.hex");
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].name, QStringLiteral("b.hex"));
    EXPECT_EQ(entries[1].name, QStringLiteral("a.hex"));
}

struct NameRow {
    const char* what;
    const char16_t* name;
    bool safe;
};

const NameRow kNameRows[] = {
    {"FirmwareFile", u"qro4000fw0150.hex", true},
    {"NameWithSpacesAndUnicode", u"Notes \u00e9t\u00e9.rtf", true},
    {"ParentFolder", u"..", false},
    {"PathUpwards", u"../qro4000fw0150.hex", false},
    {"DoubleDotInsideTheName", u"qro4000fw..0150.hex", false},
    {"WindowsSeparator", u"..\\qro4000fw0150.hex", false},
    {"DriveLetter", u"C:qro4000fw0150.hex", false},
    {"DeviceNameAnyCase", u"com1.hex", false},
    {"ControlCharacter", u"qro4000fw0150\n.hex", false},
    {"WildcardCharacter", u"qro4000fw*.hex", false},
    {"TrailingDot", u"qro4000fw0150.hex.", false},
    {"BytesThatWereNotUtf8", u"qro4000fw\ufffd.hex", false},
};

class ServerName : public ::testing::TestWithParam<NameRow> { };

TEST_P(ServerName, IsWrittenOnlyWhenSafe)
{
    EXPECT_EQ(FtpListing::IsSafeFileName(QString::fromStdU16String(GetParam().name)), GetParam().safe);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ServerName, ::testing::ValuesIn(kNameRows), [](const auto& info) { return std::string(info.param.what); });

TEST(FtpListing, ControlCharactersOfANameAreShownEscapedAndAHugeNameCut)
{
    EXPECT_EQ(FtpListing::Printable(QStringLiteral("a\r\nb\x7f")), QStringLiteral("a\\x0D\\x0Ab\\x7F"));
    EXPECT_EQ(FtpListing::Printable(QString(20000000, 'n')), QString(60, 'n') + "... (20000000 characters)");
}

TEST(FileServerAddress, PortAndStartingFolderLeadToTheProductsFirmwareFolder)
{
    const CFileServerAddress address(QStringLiteral("ftp://files.example:2121/pub/"), QStringLiteral("QRO4000"));
    EXPECT_EQ(address.Error(), 0u);
    EXPECT_EQ(address.Host(), QStringLiteral("files.example:2121"));
    EXPECT_EQ(address.Folder(), QStringLiteral("pub/QRO4000/firmware"));
    EXPECT_EQ(address.ConnectUrl(), QStringLiteral("ftp://files.example:2121/"));
    EXPECT_EQ(address.FolderUrl(), QStringLiteral("ftp://files.example:2121/pub/QRO4000/firmware/"));
    EXPECT_EQ(address.FileUrl(QStringLiteral("a #1%.hex")),
        QStringLiteral("ftp://files.example:2121/pub/QRO4000/firmware/a%20%231%25.hex"));
}

TEST(FileServerAddress, OnlyFtpAddressesWithAHostAreTaken)
{
    EXPECT_EQ(CFileServerAddress(QStringLiteral("http://files.example"), {}).Error(), 12006u);
    EXPECT_EQ(CFileServerAddress(QStringLiteral("file:///etc"), {}).Error(), 12006u);
    EXPECT_EQ(CFileServerAddress(QStringLiteral("files.example"), {}).Error(), 12005u);
    EXPECT_EQ(CFileServerAddress(QStringLiteral("ftp://files.example/?x=1"), {}).Error(), 12005u);
    EXPECT_EQ(CFileServerAddress(QStringLiteral("FTP://[::1]:21"), {}).Host(), QStringLiteral("[::1]:21"));
}
} // namespace
