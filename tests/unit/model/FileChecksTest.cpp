// What the program refuses to read from or write over: devices, FIFOs, folders, oversized
// input and folders that take no new file. Each refusal must come before any open that could
// block or replace.
#include "model/FileChecks.h"
#include "TestFiles.h"
#include "model/ResultCode.h"
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {
struct Place {
    QTemporaryDir dir;
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QString File(const char* name, qsizetype size) const
    {
        EXPECT_TRUE(WriteWholeFile(Path(name), QByteArray(size, 'x')));
        return Path(name);
    }
    QString Fifo(const char* name) const
    {
        EXPECT_EQ(::mkfifo(QFile::encodeName(Path(name)).constData(), 0600), 0);
        return Path(name);
    }
};
} // namespace

TEST(FileChecks, InputFilesAreRegularAndBounded)
{
    Place p;
    const QString regular = p.File("a.hex", 100);
    const QString link = p.Path("link.hex");
    ASSERT_TRUE(QFile::link(regular, link));
    struct Row {
        const char* what;
        QString path;
        DWORD expected;
    } rows[] = {
        {"a regular file within the bound", regular, 0},
        {"a link to a regular file", link, 0},
        {"a file one byte over the bound", p.File("big.hex", 101), Result::FileTooLarge},
        {"a FIFO (would block the open)", p.Fifo("fifo.hex"), Result::NotRegularFile},
        {"a device node", QStringLiteral("/dev/null"), Result::NotRegularFile},
        {"a folder", p.dir.path(), Result::NotRegularFile},
        {"a missing file", p.Path("missing.hex"), Result::FileNotFound},
    };
    for (const Row& r : rows) {
        QString message;
        EXPECT_EQ(FileChecks::CheckInputFile(r.path, 100, &message), r.expected) << r.what;
        EXPECT_EQ(message.isEmpty(), r.expected == 0) << r.what;
        if (r.expected != 0 && r.expected != Result::FileNotFound) {
            EXPECT_TRUE(message.contains(QDir::toNativeSeparators(r.path))) << r.what << ": " << qPrintable(message);
        }
    }
}

TEST(FileChecks, SaveDestinationsAreRegularFilesInWritableFolders)
{
    Place p;
    const QString existing = p.File("old.QRO4000Config", 10);
    const QString link = p.Path("link.QRO4000Config");
    ASSERT_TRUE(QFile::link(existing, link));
    struct Row {
        const char* what;
        QString path;
        DWORD expected;
    } rows[] = {
        {"a new file", p.Path("new.QRO4000Config"), 0},
        {"an existing regular file", existing, 0},
        {"a link to a regular file", link, 0},
        {"a FIFO", p.Fifo("fifo.QRO4000Config"), Result::NotRegularFile},
        {"a device node", QStringLiteral("/dev/null"), Result::NotRegularFile},
        {"a folder", p.dir.path(), Result::NotRegularFile},
        {"a missing folder", p.Path("no/such/folder/x.QRO4000Config"), Result::PathNotFound},
        {"a folder that takes no file", QStringLiteral("/proc/x.QRO4000Config"), Result::AccessDenied},
    };
    for (const Row& r : rows) {
        QString message;
        EXPECT_EQ(FileChecks::CheckSaveDestination(r.path, &message), r.expected)
            << r.what << ": " << qPrintable(message);
    }
    EXPECT_EQ(QDir(p.dir.path()).entryList(QDir::Files | QDir::Hidden).filter(".qro4000-").size(), 0)
        << "the probe file is removed";
    EXPECT_TRUE(QFileInfo(existing).isFile());
    // Folders made for a download: a place that refuses them says so, not "file not found".
    EXPECT_EQ(FileChecks::MakeFolder(p.Path("a/b")), 0u);
    EXPECT_TRUE(QFileInfo(p.Path("a/b")).isDir());
    EXPECT_EQ(FileChecks::MakeFolder(QStringLiteral("/proc/qro4000-firmware")), Result::AccessDenied);
    EXPECT_EQ(FileChecks::MakeFolder(existing + "/firmware"), Result::PathNotFound);
}
