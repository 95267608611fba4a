// The numbered texts and the texts built from them.
#include "model/StringTable.h"
#include "model/ResultCode.h"
#include "model/RevisionText.h"
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <map>

TEST(StringTable, RevisionTexts)
{
    const std::pair<WORD, const char*> cases[] = {{0, "??.??"}, {9999, " N/A "}, {65534, "Loading"}, {5, "00.05"},
        {123, "01.23"}, {153, "01.53"}, {9998, "99.98"}};
    for (const auto& [revision, text] : cases)
        EXPECT_EQ(RevisionText(revision), text) << revision;
}

TEST(ResultCodes, PlatformNumbersCountAs8007Codes)
{
    EXPECT_EQ(Result::AsFailureCode(5), 0x80070005u);
    EXPECT_EQ(Result::AsFailureCode(1223), 0x800704C7u);
    EXPECT_EQ(Result::AsFailureCode(0x123456), 0x80073456u);
    EXPECT_EQ(Result::AsFailureCode(Result::RetryLimit), Result::RetryLimit);
    EXPECT_EQ(Result::AsFailureCode(0), 0u);
    EXPECT_FALSE(Result::Failed(0));
    EXPECT_TRUE(Result::Failed(1223));
}

// Every feature keeps its texts in a file of its own; a number used twice would silently show
// one feature's text in another's place.
TEST(StringTable, EveryNumberOnce)
{
    QDir folder(QStringLiteral(QRO_SOURCE_DIR "/src/resources"));
    std::map<unsigned, QString> seen;
    for (const QString& name : folder.entryList({QStringLiteral("StringTable*.inc")})) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << qPrintable(name);
        static const QRegularExpression entry(QStringLiteral("^\\{(\\d+),"));
        for (const QByteArray& line : file.readAll().split('\n')) {
            const auto match = entry.match(QString::fromUtf8(line));
            if (!match.hasMatch())
                continue;
            const auto [at, added] = seen.emplace(match.captured(1).toUInt(), name);
            EXPECT_TRUE(added) << match.captured(1).toStdString() << " in " << qPrintable(name) << " and "
                               << qPrintable(at->second);
        }
    }
    EXPECT_GT(seen.size(), 200u);
}
