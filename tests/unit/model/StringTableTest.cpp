// The numbered texts and the texts built from them.
#include "model/StringTable.h"
#include "model/ResultCode.h"
#include "model/RevisionText.h"
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <map>

TEST(StringTable, TitleBaseIsTheRevisionLine)
{
    EXPECT_EQ(TitleBaseText(), "QRO4000 Utility Revision 1.0.0.0");
}

TEST(StringTable, QuotedTextsUnderTheirNumbers)
{
    EXPECT_EQ(ResourceString(57345), "Ready");
    EXPECT_EQ(ResourceString(168), "QRO4000");
    EXPECT_EQ(FormatResource(IDS_ATTEMPTING_CONTACT, ProductName(), "COM3", 230400),
        "Attempting to contact QRO4000 on port COM3 at 230400 bit/s");
    EXPECT_EQ(FormatResource(IDS_PORT_ACCESS_DENIED, "COM3"),
        "Serial port \"COM3\" access denied; may in use by another program or USB cable may have been removed.");
    EXPECT_EQ(FormatResource(IDS_CONFIG_FILTER, "QRO4000", "QRO4000Config", "QRO4000Config"),
        "QRO4000 Configuration File (*.QRO4000Config)|*.QRO4000Config|All files (*.*)|*.*|");
    EXPECT_EQ(ResourceString(99999), "");
}

TEST(StringTable, RevisionTexts)
{
    const std::pair<WORD, const char*> cases[] = {{0, "??.??"}, {9999, " N/A "}, {65534, "Loading"}, {5, "00.05"},
        {123, "01.23"}, {153, "01.53"}, {9998, "99.98"}};
    for (const auto& [revision, text] : cases)
        EXPECT_EQ(RevisionText(revision), text) << revision;
}

TEST(StringTable, OutputLinePrefix)
{
    EXPECT_EQ(OutputLinePrefix(9, 5, 0), "09:05:00 ");
}

TEST(ResultCodes, PlatformNumbersCountAs8007Codes)
{
    EXPECT_EQ(Result::AsFailureCode(5), 0x80070005u);
    EXPECT_EQ(Result::AsFailureCode(1223), 0x800704C7u);
    EXPECT_EQ(Result::AsFailureCode(0x123456), 0x80073456u);
    EXPECT_EQ(Result::AsFailureCode(0xE2000044), 0xE2000044u);
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
