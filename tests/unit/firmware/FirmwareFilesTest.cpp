#include "firmware/FirmwareFiles.h"
#include "RowName.h"
#include "TestFiles.h"
#include "firmware/FileNameParts.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
using ::operator<<;
TEST(FileNameParts, Parts)
{
    const struct {
        const char* name;
        const char* path;
        const char* extension;
        const char* title;
        WORD revision;
        const char* base;
        bool firmware;
    } rows[] = {
    {"Revisioned", "qro4000fw0135.hex", ".hex", "qro4000fw0135", 135, "qro4000fw", true},
    {"UpperCase", "QRO4000FW0140.HEX", ".HEX", "QRO4000FW0140", 140, "QRO4000FW", true},
    {"TitleEndingInCapitalB", "qro4000fw0135B.hex", ".hex", "qro4000fw0135B", 0, "qro4000fw0135B", false},
    {"TitleEndingInSmallB", "qro4000fw0135b.hex", ".hex", "qro4000fw0135b", 0, "qro4000fw0135b", false},
    {"WithoutRevision", "qro4000fw.hex", ".hex", "qro4000fw", 0, "qro4000fw", true},
    {"InAFolderWithADot", "/fw/dir.v2/qro4000fw0150.hex", ".hex", "qro4000fw0150", 150, "qro4000fw", true},
    {"InAWindowsFolder", "C:\\Firmware\\qro4000fw0151.hex", ".hex", "qro4000fw0151", 151, "qro4000fw", true},
    {"BackupCopy", "qro4000fw0135.hex.bak", ".bak", "qro4000fw0135.hex", 0, "qro4000fw0135.hex", false},
    {"WithoutExtension", "qro4000fw0135", "", "qro4000fw0135", 135, "qro4000fw", false},
    {"ReleaseNotes", "qro4000fwnotes.rtf", ".rtf", "qro4000fwnotes", 0, "qro4000fwnotes", false},
    {"PlainWord", "notes", "", "notes", 0, "notes", false},
    {"RevisionTooLong", "qro4000fw99999999.hex", ".hex", "qro4000fw99999999", 0, "qro4000fw", true},
    {"OneLetter", "q.hex", ".hex", "q", 0, "q", false},
};
    for (const auto& c : rows) {
        const QString path = QString::fromUtf8(c.path);
        EXPECT_EQ(FileNameParts::Extension(path), QString::fromUtf8(c.extension)) << c.name;
        EXPECT_EQ(FileNameParts::Title(path), QString::fromUtf8(c.title)) << c.name;
        EXPECT_EQ(FileNameParts::Revision(path), c.revision) << c.name;
        EXPECT_EQ(FileNameParts::Base(path), QString::fromUtf8(c.base)) << c.name;
        EXPECT_EQ(CFirmwareFiles::IsFirmwareFile(path), c.firmware) << c.name;
    }
}

// A folder's files (a name ending in "/" is a folder) and the firmware file and release notes
// the scan chooses from them ("" for none).
TEST(FirmwareFolderChoice, ChoosesTheNewestLoadableFile)
{
    const struct {
        const char* name;
        QStringList files;
        const char* firmware;
        const char* notes;
    } rows[] = {{"NewerUpperCaseFileWins", {"qro4000fw0135.hex", "QRO4000FW0140.HEX", "readme.txt"},
                          "QRO4000FW0140.HEX", ""},
        {"FileWithoutRevisionIsFirmware", {"qro4000fw.hex"}, "qro4000fw.hex", ""},
        {"FileWithoutRevisionLosesToAnyNumberedFile", {"qro4000fw.hex", "qro4000fw0001.hex"},
            "qro4000fw0001.hex", ""},
        {"TitleEndingInBIsNotFirmware", {"qro4000fw0135B.hex"}, "", ""},
        {
            "NewerBFileDoesNotHideOlderFirmware", {"qro4000fw0135.hex", "qro4000fw0160B.hex"}, "qro4000fw0135.hex", ""},
        {"ReleaseNotesAloneIsNoFirmware", {"QRO4000FWNOTES.RTF"}, "", "QRO4000FWNOTES.RTF"},
        {"EqualRevisionsKeepTheFirstInNameOrder", {"qro4000fw0140.hex", "QRO4000fw0140.hex"},
            "QRO4000fw0140.hex", ""},
        {"SubfoldersAreNotFiles", {"qro4000fw0200.hex/", "qro4000fw0100.hex"}, "qro4000fw0100.hex", ""}};
    for (const auto& row : rows) {
        QTemporaryDir dir;
        for (const QString& name : row.files)
            ASSERT_TRUE(name.endsWith('/') ? QDir(dir.path()).mkdir(name) : WriteWholeFile(dir.filePath(name), {}));
        CFirmwareFiles files;
        ASSERT_TRUE(files.ScanFolder(dir.path()));
        const auto inFolder = [&dir](const char* name) { return *name ? dir.filePath(name) : QString(); };
        EXPECT_EQ(files.FirmwareFile().m_fileName, inFolder(row.firmware)) << row.name;
        EXPECT_EQ(files.ReleaseNotesFile().m_fileName, inFolder(row.notes)) << row.name;
    }
}

TEST(FirmwareFolder, TrailingSeparatorAndAFolderThatCannotBeRead)
{
    QTemporaryDir dir;
    CFirmwareFiles files;
    const QString before = QDir::currentPath();
    ASSERT_TRUE(WriteWholeFile(dir.filePath("qro4000fw0100.hex"), {}));
    ASSERT_TRUE(files.ScanFolder(dir.path() + "/"));
    EXPECT_EQ(QDir::currentPath(), before);
    EXPECT_EQ(files.FirmwareFile().m_fileName, dir.path() + "/qro4000fw0100.hex");
    EXPECT_EQ(CFirmwareFiles::JoinPath("C:\\fw\\", "a.hex"), QStringLiteral("C:\\fw\\a.hex"));
    // A folder that cannot be read leaves the names empty.
    EXPECT_FALSE(files.ScanFolder(dir.filePath("missing")));
    EXPECT_TRUE(files.IsEmpty());
    EXPECT_FALSE(files.ScanFolder(QString()));
}

TEST(FirmwareFilesWanted, Rules)
{
    CFirmwareFiles files;
    EXPECT_TRUE(files.IsWanted({"qro4000fwnotes.rtf", 0}));
    EXPECT_TRUE(files.IsWanted({"qro4000fw0100.hex", 100}));
    EXPECT_FALSE(files.IsWanted({"other0100.hex", 100}));
    files.Consider("/f/qro4000fw0120.hex");
    EXPECT_FALSE(files.IsWanted({"qro4000fw0100.hex", 100}));
    EXPECT_FALSE(files.IsWanted({"qro4000fw0120.hex", 120}));
    EXPECT_TRUE(files.IsWanted({"qro4000fw0121.hex", 121}));
    EXPECT_TRUE(files.IsWanted({"qro4000fwnotes.rtf", 0}));
}

TEST(FirmwareFilesCopyList, KeepsOneNewestFirmwareFileAndTheNotes)
{
    CFirmwareFiles held;
    held.Consider("/f/qro4000fw0120.hex");
    QStringList list;
    held.AddToCopyList("qro4000fw0110.hex", &list); // older than held
    EXPECT_TRUE(list.isEmpty());
    held.AddToCopyList("qro4000fw0130.hex", &list);
    held.AddToCopyList("qro4000fwnotes.rtf", &list);
    held.AddToCopyList("qro4000fw0125.hex", &list); // older than listed: no change
    held.AddToCopyList("qro4000fw0140.hex", &list); // replaces 0130
    held.AddToCopyList("qro4000fw0150B.hex", &list); // not loadable
    held.AddToCopyList("readme.txt", &list);
    EXPECT_EQ(list, (QStringList {"qro4000fw0140.hex", "qro4000fwnotes.rtf"}));
    // With nothing held the first firmware file is taken; an equal revision does not replace it.
    CFirmwareFiles none;
    list.clear();
    none.AddToCopyList("QRO4000FW0100.HEX", &list);
    none.AddToCopyList("qro4000fw0100.hex", &list);
    EXPECT_EQ(list, (QStringList {"QRO4000FW0100.HEX"}));
}
} // namespace
