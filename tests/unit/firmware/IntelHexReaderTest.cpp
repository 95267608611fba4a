#include "firmware/IntelHexReader.h"
#include "HexTestFiles.h"
#include "RowName.h"
#include "firmware/FirmwareImage.h"
#include "model/ResultCode.h"
#include <gtest/gtest.h>

namespace {
using ::operator<<;
constexpr DWORD kLow = CFirmwareImage::kLoaderLow;

// Checksums below were worked out by hand: the two's complement of the sum of all other bytes.
const QByteArray kEnd = ":00000001FF\r\n";
const QByteArray kLinear1D00 = ":020000041D00DD\r\n"; // 02+00+00+04+1D+00 = 23 -> DD
const QByteArray kData0100 = ":0401000001020304F1\r\n"; // 04+01+00+00+01+02+03+04 = 0F -> F1

class IntelHexImage : public ::testing::Test {
protected:
    // The loader's window without the loader's refusal of an image with nothing in it.
    bool Load(const QByteArray& text)
    {
        return image.Load(files.Write("image.hex", text), kLow, CFirmwareImage::kLoaderHigh,
            CFirmwareImage::kLoaderBlockSize, CFirmwareImage::kLoaderFill);
    }
    int CountNotFill() const
    {
        int n = 0;
        for (DWORD i = 0; i < image.Capacity(); ++i)
            n += image.Buffer()[i] != 0xFF;
        return n;
    }
    CHexTestFiles files;
    CFirmwareImage image;
};

TEST_F(IntelHexImage, OnlyEndRecordGivesErasedImageAndOneBlock)
{
    EXPECT_EQ(image.BlockAt(kLow), nullptr); // nothing loaded
    ASSERT_TRUE(Load(kEnd));
    EXPECT_EQ(image.BlockAt(kLow), image.Buffer());
    EXPECT_EQ(image.BlockAt(kLow - 1), nullptr);
    EXPECT_EQ(image.BlockAt(0x1D07FFFF), nullptr);
    EXPECT_NE(image.BlockAt(0x1D07FFFE), nullptr);
    EXPECT_EQ(image.Size(), 0x7FFFFu);
    EXPECT_EQ(image.Capacity(), 0x80000u);
    EXPECT_EQ(CountNotFill(), 0);
    // The first word is never compared, so even an empty image sends one block.
    EXPECT_EQ(image.UsedEnd() - image.Buffer(), 512);
}

// Records below, above and across the end of the window: HexToolCrossCheckTest, byte by byte.

// An image with no byte in the window would erase the amplifier's firmware and load nothing.
TEST_F(IntelHexImage, LoaderRefusesAnImageWithNoDataForTheFirmwareArea)
{
    const QString path = files.Write(
        "outside.hex", CHexTestFiles::Record(4, 0, {0x1D, 0x08}) + CHexTestFiles::Record(0, 0, {0x33, 0x33}) + kEnd);
    EXPECT_FALSE(image.LoadForLoader(path));
    EXPECT_EQ(image.LastError(), Result::NoFirmwareData);
    EXPECT_TRUE(image.ErrorText().startsWith("Refused: no data for the firmware area in " + path
        + ". None of its 2 data bytes lies between 0x1D000000 and 0x1D07FFFE"));
    EXPECT_TRUE(image.LoadForLoader(files.Write("inside.hex", kLinear1D00 + kData0100 + kEnd)));
    // A failed load leaves no trace of the image before it.
    EXPECT_FALSE(image.LoadForLoader(files.Path("absent.hex")));
    EXPECT_EQ(image.Buffer(), nullptr);
    EXPECT_EQ(image.UsedEnd(), nullptr);
}

// Texts that place bytes at 0x1D000100 (and nowhere else in the window).
struct PlacedRow {
    const char* name;
    QByteArray text;
    QByteArray bytes; // at 0x1D000100
};

class IntelHexPlaced : public IntelHexImage, public ::testing::WithParamInterface<PlacedRow> { };

TEST_P(IntelHexPlaced, BytesLandAt0x1D000100)
{
    ASSERT_TRUE(Load(GetParam().text));
    const QByteArray& bytes = GetParam().bytes;
    EXPECT_EQ(CountNotFill(), bytes.size());
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(image.BlockAt(0x1D000100)), bytes.size()), bytes);
    EXPECT_EQ(image.BlockAt(0x1D000100)[-1], 0xFF);
    EXPECT_EQ(image.UsedEnd() - image.Buffer(), 512);
}

const QByteArray k01020304 = QByteArray::fromHex("01020304");

INSTANTIATE_TEST_SUITE_P(Texts, IntelHexPlaced,
    ::testing::Values(
        PlacedRow {"ExtendedLinearAddressPlacesDataInTheWindow", kLinear1D00 + kData0100 + kEnd, k01020304},
        PlacedRow {
            "ByteOrderMarkBeforeTheFirstRecordIsIgnored", "\xEF\xBB\xBF" + kLinear1D00 + kData0100 + kEnd, k01020304},
        // 04+01+A1+B2+C3+D4 = 2EF -> 11
        PlacedRow {"LowerCaseDigitsAreRead", ":020000041d00dd\n:04010000a1b2c3d411\n:00000001ff\n",
            QByteArray::fromHex("A1B2C3D4")},
        PlacedRow {"TextOutsideRecordsIsSkipped",
            "Firmware for the QRO4000\r\nbuilt today\r\n" + kLinear1D00 + "; a comment line\r\n" + kData0100
                + "\r\n\r\n" + kEnd + "anything after the end record: ZZZ\r\n",
            k01020304},
        PlacedRow {"ColonNotFirstOnItsLineStartsNoRecord",
            kLinear1D00 + " " + kData0100 + "x:0401000001020304F1\r\n" + kEnd, {}},
        PlacedRow {"RecordMayBeWrappedOverLines", kLinear1D00 + ":04010000\r\n01020304\r\nF1\r\n" + kEnd, k01020304}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(IntelHexImage, ExtendedSegmentAddressIsTimesSixteen)
{
    // Segment 0x1000 gives the base 0x1000 * 16 = 0x10000, so the byte at 0010 lands at 0x10010;
    // start address records (03, 05) are read and ignored.
    const QByteArray text = CHexTestFiles::Record(2, 0, {0x10, 0x00}) + CHexTestFiles::Record(0, 0x0010, {0x99})
        + CHexTestFiles::Record(3, 0, {0, 0, 0, 0}) + CHexTestFiles::Record(5, 0, {0, 0, 0, 0}) + kEnd;
    CIntelHexReader reader(0x10000, 0x20000);
    ASSERT_TRUE(reader.Parse(text.constData(), text.constData() + text.size()));
    EXPECT_EQ(reader.Stats().lowestAddress, 0x10010u);
    EXPECT_EQ(reader.Stats().bytesInWindow, 1u);
}

// Failures: the code and the text line of the offending character.
struct FailureCase {
    const char* name;
    const char* text;
    DWORD code;
    DWORD line;
};

const FailureCase kFailures[] = {
    {"NoEndRecord", ":020000041D00DD\r\n:0401000001020304F1\r\n", Result::HexNoEndRecord, 3},
    {"NoEndRecordWithoutFinalLineEnd", ":0401000001020304F1", Result::HexNoEndRecord, 1},
    {"EmptyText", "", Result::HexNoEndRecord, 1},
    {"OnlyCommentary", "hello\nworld\n", Result::HexNoEndRecord, 3},
    {"WrongChecksum", ":020000041D00DD\r\n:0401000001020304F2\r\n:00000001FF\r\n", Result::HexChecksum, 2},
    {"WrongChecksumOnItsOwnLine", ":04010000\n01020304\nF2\n:00000001FF\n", Result::HexChecksum, 3},
    {"NonHexInData", ":020000041D00DD\n:04010000010G0304F1\n:00000001FF\n", Result::UnexpectedHexCharacter, 2},
    {"SpaceInRecord", ":04010000 01020304F1\n:00000001FF\n", Result::UnexpectedHexCharacter, 1},
    {"TextEndsInsideRecord", ":020000041D00DD\n:040100000102", Result::UnexpectedHexCharacter, 2},
    {"EndRecordAlone", ":00000001FF\n", 0, 0},
    {"RecordTypeSix", ":00000006FA\n:00000001FF\n", Result::HexBadRecordType, 1}, // 00+00+00+06 -> FA
    {"RecordTypeAfterComment", "x\ny\n:00000007F9\n", Result::HexBadRecordType, 3},
    {"ColonAloneAtEnd", "\n:", Result::UnexpectedHexCharacter, 2},
};

class IntelHexFailure : public ::testing::TestWithParam<FailureCase> { };

TEST_P(IntelHexFailure, ReportsCodeAndLine)
{
    const FailureCase& c = GetParam();
    CHexTestFiles files;
    const QString path = files.Write("bad.hex", QByteArray(c.text));
    CFirmwareImage image;
    EXPECT_EQ(image.Load(path, kLow, CFirmwareImage::kLoaderHigh, 512, CFirmwareImage::kLoaderFill), c.code == 0);
    EXPECT_EQ(image.LastError(), c.code);
    EXPECT_EQ(image.ErrorLine(), c.line);

    DWORD line = 99, code = 99;
    EXPECT_EQ(ValidateHexFile(path, &line, &code), c.code == 0);
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(line, c.line);
}

INSTANTIATE_TEST_SUITE_P(Cases, IntelHexFailure, ::testing::ValuesIn(kFailures),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IntelHexFile, MissingFileGivesPlatformError)
{
    CHexTestFiles files;
    DWORD line = 99, code = 0;
    EXPECT_FALSE(ValidateHexFile(files.Path("nothing.hex"), &line, &code));
    EXPECT_EQ(code, Result::AsFailureCode(Result::FileNotFound));
    EXPECT_EQ(line, 0u);
    EXPECT_FALSE(ValidateHexFile(files.Path("no-folder/nothing.hex"), &line, &code));
    EXPECT_EQ(code, Result::AsFailureCode(Result::PathNotFound));
}

TEST(IntelHexReader, DestinationShorterThanWindowIsNeverOverrun)
{
    const QByteArray text = kLinear1D00 + kData0100 + kEnd;
    BYTE small[0x102] = {};
    CIntelHexReader reader(kLow, CFirmwareImage::kLoaderHigh, small, small + sizeof small);
    ASSERT_TRUE(reader.Parse(text.constData(), text.constData() + text.size()));
    EXPECT_EQ(small[0x100], 0x01);
    EXPECT_EQ(small[0x101], 0x02);
}
} // namespace
