#include "ConfigTestSupport.h"
#include "RowName.h"
#include "config/ConfigLine.h"
#include "model/ResultCode.h"
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {
using ::operator<<;
const QString kAltered = "The configuration file has been altered after it was saved.\r\nCannot restore from a "
                         "modified configuration file.";
const QString kIncomplete
    = "The configuration file is incomplete.\r\nCannot restore from an incomplete configuration file.";

QByteArray PatternFile(WORD serial = 1234)
{
    return FormatConfigFile(TestHeader(serial), CPatternSource());
}

// A valid file (fresh CRC) with these lines in place of the memory lines.
QByteArray FileWithMemoryLines(const QList<QByteArray>& memory, WORD serial = 1234)
{
    QList<QByteArray> lines = SplitLines(PatternFile(serial)).mid(0, serial == kNoSerialNumber ? 5 : 6);
    lines += memory;
    lines.append(QByteArray());
    return WithFreshCrc(lines);
}

class CRecordingReceiver : public IConfigReceiver {
public:
    void StoreBlock(DWORD address, DWORD count, const BYTE* data) override
    {
        blocks.append({address, QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count))});
    }
    void StoreByte(WORD address, BYTE value) override { bytes.append({address, value}); }
    void SetSerialMismatch(bool mismatch) override { verdicts.append(mismatch); }

    QList<std::pair<DWORD, QByteArray>> blocks;
    QList<std::pair<WORD, BYTE>> bytes;
    QList<bool> verdicts;
};

DWORD ReadInto(const QByteArray& text, IConfigReceiver* receiver, WORD serial = 1234, QString* message = nullptr)
{
    CConfigFileReader reader(serial, receiver);
    DWORD result = reader.Feed(text.constData(), static_cast<std::size_t>(text.size()));
    if (result == 0)
        result = reader.Finish();
    if (message)
        *message = reader.Message();
    return result;
}
} // namespace

TEST(ConfigFileReader, FileRoundTripThroughTheDisk)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("r.QRO4000Config");
    ASSERT_EQ(WriteConfigFile(TestHeader(), path, CPatternSource(9)), 0u);
    CConfigImage image;
    QString message;
    CConfigFileInfo info;
    ASSERT_EQ(ReadConfigFile(path, 1234, &image, &message, &info), 0u) << message.toStdString();
    EXPECT_TRUE(message.isEmpty());
    EXPECT_EQ(image.PresentCount(), 0x40000u);
    EXPECT_EQ(image.Bytes(), QByteArray(reinterpret_cast<const char*>(CPatternSource(9).bytes.data()), 0x40000));
    EXPECT_EQ(info.serialNumber, 1234);
    EXPECT_EQ(info.firmwareRevision, "01.53");
    EXPECT_EQ(info.utilityRevision, "QRO4000 Utility Revision 1.0.0.0");
    EXPECT_EQ(info.savedOn, "QRO4000 Configuration saved on 2024-01-05 at 13:45:01");
    EXPECT_EQ(info.dataLines, 4096u);
    EXPECT_EQ(info.dataBytes, 0x40000u);
    EXPECT_TRUE(info.crcSeen);
}

TEST(ConfigFileReader, PiecesOfAnySizeReadTheSame)
{
    const QByteArray text = PatternFile();
    CConfigImage image;
    CConfigFileReader reader(1234, &image);
    for (qsizetype at = 0, step = 1; at < text.size(); at += step, step = step % 301 + 1)
        ASSERT_EQ(reader.Feed(text.constData() + at, static_cast<std::size_t>(std::min(step, text.size() - at))), 0u);
    ASSERT_EQ(reader.Finish(), 0u);
    EXPECT_EQ(image.Bytes(), ReadText(text).image.Bytes());
}

// A saved file changed on its way back: what the reader makes of it.
struct ChangeRow {
    const char* name;
    std::function<QByteArray(QList<QByteArray> lines)> change; // gets the pattern file's lines
    DWORD result; // 0: read, giving the pattern image
};

QByteArray WithCrcLine(QList<QByteArray> lines, const QByteArray& crc)
{
    lines.back() = crc;
    return JoinLines(lines);
}
QByteArray CrcDigits(const QList<QByteArray>& lines)
{
    return lines.back().mid(10);
}

class ConfigFileReaderChange : public testing::TestWithParam<ChangeRow> { };

TEST_P(ConfigFileReaderChange, GivesItsResult)
{
    const CReadOutcome read = ReadText(GetParam().change(SplitLines(PatternFile())));
    EXPECT_EQ(read.result, GetParam().result) << read.message.toStdString();
    if (GetParam().result == Result::ConfigCorrupt)
        EXPECT_EQ(read.message, kAltered);
    else if (GetParam().result == Result::ConfigIncomplete)
        EXPECT_EQ(read.message, kIncomplete);
    else
        EXPECT_EQ(
            read.image.Bytes(), QByteArray(reinterpret_cast<const char*>(CPatternSource().bytes.data()), 0x40000));
}

INSTANTIATE_TEST_SUITE_P(Files, ConfigFileReaderChange,
    testing::Values(ChangeRow {"OneHexDigitChangedIsAltered",
                        [](QList<QByteArray> l) {
                            l[6 + 1024][27] = l[6 + 1024][27] == 'A' ? 'B' : 'A';
                            return JoinLines(l);
                        },
                        Result::ConfigCorrupt},
        ChangeRow {"HeaderLineChangedIsAltered",
            [](QList<QByteArray> l) { return JoinLines(l).replace("Revision = 01.53", "Revision = 01.54"); },
            Result::ConfigCorrupt},
        ChangeRow {"CrcWithoutSpaceIsAltered",
            [](QList<QByteArray> l) { return WithCrcLine(l, "CRC32 =0x" + CrcDigits(l)); }, Result::ConfigCorrupt},
        ChangeRow {"CrcWith0yIsAltered",
            [](QList<QByteArray> l) { return WithCrcLine(l, "CRC32 = 0y" + CrcDigits(l)); }, Result::ConfigCorrupt},
        ChangeRow {"CrcNumberChangedIsAltered",
            [](QList<QByteArray> l) {
                l.back().back() = l.back().back() == '0' ? '1' : '0';
                return JoinLines(l);
            },
            Result::ConfigCorrupt},
        ChangeRow {"CrcWithout0xIsAltered",
            [](QList<QByteArray> l) { return WithCrcLine(l, "CRC32 = " + CrcDigits(l)); }, Result::ConfigCorrupt},
        ChangeRow {"CrcOfSevenDigitsIsAltered",
            [](QList<QByteArray> l) { return WithCrcLine(l, "CRC32 = 0x" + CrcDigits(l).left(7)); },
            Result::ConfigCorrupt},
        ChangeRow {"CrcWithoutNumberIsAltered", [](QList<QByteArray> l) { return WithCrcLine(l, "CRC32"); },
            Result::ConfigCorrupt},
        ChangeRow {"CrcInLowerCaseWithCapitalXIsRead",
            [](QList<QByteArray> l) { return WithCrcLine(l, "crc32 = 0X" + CrcDigits(l).toLower()); }, 0},
        ChangeRow {"CrcWithMoreDigitsIsRead",
            [](QList<QByteArray> l) { return WithCrcLine(l, "CRC32 = 0x" + CrcDigits(l) + "FF"); }, 0},
        ChangeRow {"EndingBeforeItsCrcLineIsIncomplete",
            [](QList<QByteArray> l) { return JoinLines(l.mid(0, l.size() - 1)); }, Result::ConfigIncomplete},
        ChangeRow {"EmptyIsIncomplete", [](QList<QByteArray>) { return QByteArray(); }, Result::ConfigIncomplete},
        ChangeRow {"DataAfterTheCrcLineIsIncomplete",
            [](QList<QByteArray> l) { return WithFreshCrc(l.mid(0, 8)) + "MEM4 00000200 01 BB\r\n"; },
            Result::ConfigIncomplete},
        ChangeRow {"LastLineEndedByCarriageReturnIsIncomplete",
            [](QList<QByteArray> l) { return JoinLines(l).chopped(1); }, Result::ConfigIncomplete},
        ChangeRow {"NoMemoryLinesIsIncomplete", [](QList<QByteArray> l) { return WithFreshCrc(l.mid(0, 7)); },
            Result::ConfigIncomplete},
        ChangeRow {"LastLineWithoutLineFeedIsIncomplete", [](QList<QByteArray> l) { return JoinLines(l).chopped(2); },
            Result::ConfigIncomplete},
        ChangeRow {"LineFeedsOnlyIsRead", [](QList<QByteArray> l) { return JoinLines(l, "\n"); }, 0},
        ChangeRow {"CarriageReturnsInsideALineAreDropped",
            [](QList<QByteArray> l) { return JoinLines(l).replace("MEM4 00000040 40 ", "MEM4 0000\r0040 40\r "); }, 0},
        ChangeRow {"LowerCaseHexDigitsAreRead",
            [](QList<QByteArray> l) {
                for (int i = 6; i < 6 + 4096; ++i)
                    l[i] = l[i].left(5) + l[i].mid(5).toLower();
                return WithFreshCrc(l);
            },
            0}),
    [](const auto& info) { return std::string(info.param.name); });

struct CBadLine {
    const char* name;
    QByteArray line;
};

class ConfigFileReaderBadLine : public testing::TestWithParam<CBadLine> { };

TEST_P(ConfigFileReaderBadLine, IsRejectedWithUnableToParse)
{
    const QByteArray& line = GetParam().line;
    const CReadOutcome read = ReadText(FileWithMemoryLines({line}));
    EXPECT_EQ(read.result, Result::ConfigCorrupt);
    EXPECT_EQ(read.message, "Unable to parse line \"" + QString::fromLatin1(line) + "\"");
}

const QByteArray k16 = "00112233445566778899AABBCCDDEEFF";

INSTANTIATE_TEST_SUITE_P(Lines, ConfigFileReaderBadLine,
    testing::Values(CBadLine {"ThreeDigitCount", "MEM4 00000100 010 " + k16},
        CBadLine {"DataTooShort", "MEM4 00000100 10 " + k16.left(30)},
        CBadLine {"DataTooLong", "MEM4 00000100 10 " + k16 + "00"},
        CBadLine {"CountAbove64", "MEM4 00000100 41 " + QByteArray(130, 'A')},
        CBadLine {"SevenDigitAddress", "MEM4 0000100 10 " + k16},
        CBadLine {"FifthField", "MEM4 00000100 10 " + k16 + " 00"},
        CBadLine {"TrailingSpace", "MEM4 00000100 10 " + k16 + " "},
        CBadLine {"DoubleSpace", "MEM4  00000100 10 " + k16},
        CBadLine {"NotHex", "MEM4 00000100 10 " + k16.left(30) + "G0"},
        CBadLine {"Mem3FiveDigitAddress", "MEM3 00100 10 " + k16}, CBadLine {"Mem2FourFields", "MEM2 01 00 10"},
        CBadLine {"Mem2ShortData", "MEM2 01 00 10 " + k16.left(30)}, CBadLine {"MemTooShort", "MEM 01 .00  = 4"},
        CBadLine {"MemNoDot", "MEM 01 000  = 45"}, CBadLine {"MemNoEquals", "MEM 01 .00  : 45"}),
    [](const testing::TestParamInfo<CBadLine>& info) { return std::string(info.param.name); });

// Each byte of the memory at most once, and nothing beyond it: a crafted file with a fresh CRC
// must not make a restore write more than a save read. Memory lines start at line 7.
TEST(ConfigFileReader, RecordsThatRepeatOrOverrunAddressesAreRefusedWithTheirLine)
{
    const QByteArray k16 = "00112233445566778899AABBCCDDEEFF";
    const std::pair<QList<QByteArray>, QString> rows[] = {
        {{"MEM3 0200 10 " + k16, "MEM 02 .08  = 45"},
            "Line 8, error code 0xE2000075: A memory line repeats or "
            "overlaps addresses given by an earlier line (addresses "
            "0x00208 to 0x00208, 1 bytes)"},
        {{"MEM4 0003FFF8 10 " + k16},
            "Line 7, error code 0xE2000076: A memory line lies outside the configuration "
            "memory (addresses 0x3FFF8 to 0x40007, 16 bytes)"},
    };
    for (const auto& [lines, expected] : rows) {
        QString message;
        CRecordingReceiver receiver;
        EXPECT_NE(ReadInto(FileWithMemoryLines(lines), &receiver, 1234, &message), 0u);
        EXPECT_EQ(message, expected);
    }
}

TEST(ConfigFileReader, LineLongerThanAnyValidLineIsRejectedWithoutBufferingIt)
{
    QByteArray text = SplitLines(PatternFile())[0] + "\r\n";
    text += QByteArray(5 * 1024 * 1024, 'A');
    const CReadOutcome read = ReadText(text);
    EXPECT_EQ(read.result, Result::ConfigCorrupt);
    EXPECT_TRUE(read.message.startsWith("Unable to parse line \"AAAA"));
    EXPECT_LT(read.message.size(), 200);
}

TEST(ConfigFileReader, OlderMemoryLineFormsAreStored)
{
    // The one-byte form: high byte at 4-5, "." at 7, low byte at 8-9, " = " at 11-13, value at 14-15.
    CRecordingReceiver receiver;
    const QByteArray file = FileWithMemoryLines(
        {"MEM3 1234 02 ABcd", "MEM2 01 80 03 010203 ignored fields", "MEM 02 .34  = 5F", "MEM4 00000000 00 "});
    ASSERT_EQ(ReadInto(file, &receiver), 0u);
    ASSERT_EQ(receiver.blocks.size(), 3);
    EXPECT_EQ(receiver.blocks[0], std::make_pair(DWORD(0x1234), QByteArray("\xAB\xCD", 2)));
    EXPECT_EQ(receiver.blocks[1], std::make_pair(DWORD(0x0180), QByteArray("\x01\x02\x03", 3)));
    EXPECT_EQ(receiver.blocks[2], std::make_pair(DWORD(0), QByteArray()));
    ASSERT_EQ(receiver.bytes.size(), 1);
    EXPECT_EQ(receiver.bytes[0], std::make_pair(WORD(0x0234), BYTE(0x5F)));
}

TEST(ConfigFileReader, OneByteLineWithoutReceiverIsRejected)
{
    const QByteArray file = FileWithMemoryLines({"MEM 02 .34  = 5F"});
    QString message;
    EXPECT_EQ(ReadInto(file, nullptr, 1234, &message), Result::ConfigCorrupt);
    EXPECT_EQ(message, "Unable to parse line \"MEM 02 .34  = 5F\"");
}

// The serial number line against the amplifier's: the verdict, before the first memory line. An
// empty line here stands for a file without one.
TEST(ConfigFileReader, SerialNumberVerdict)
{
    struct Case {
        WORD amplifier;
        QByteArray line;
        QList<bool> verdicts;
        DWORD result = 0;
    };
    const Case cases[] = {
        {1234, "QRO4000 Serial Number = 01234", {false}},
        {1234, "QRO4000 Serial Number = 4321", {true}},
        {1234, "QRO4000 Serial Number =   1234xyz", {false}},
        {1234, "QRO4000 Serial Number = 66770", {false}},
        {0, "QRO4000 Serial Number = abc", {false}},
        {1234, "QRO4000 Serial Number = -1", {true}},
        {65535 - 1, "QRO4000 Serial Number = -2", {false}},
        {kNoSerialNumber, "QRO4000 Serial Number: garbage", {false}}, // not parsed without an amplifier's number
        {1234, "", {}},
        {1234, "QRO4000 Serial Number: 01234", {}, Result::ConfigCorrupt},
    };
    for (const Case& c : cases) {
        QList<QByteArray> lines = SplitLines(FormatConfigFile(TestHeader(), CPatternSource()));
        if (c.line.isEmpty())
            lines.removeAt(5);
        else
            lines[5] = c.line;
        CRecordingReceiver receiver;
        QString message;
        ASSERT_EQ(ReadInto(WithFreshCrc(lines), &receiver, c.amplifier, &message), c.result) << c.line.constData();
        if (c.result != 0) {
            EXPECT_EQ(message,
                "Unable to parse QRO4000 Serial Number line \"" + c.line + "\", Serial Number verification skipped");
            continue;
        }
        EXPECT_EQ(receiver.verdicts, c.verdicts) << c.line.constData();
        EXPECT_EQ(receiver.blocks.size(), 4096);
    }
}
