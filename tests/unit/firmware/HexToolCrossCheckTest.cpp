// The reader against HEX files written and read by two independent tools (srec_cat from the
// srecord package, objcopy from binutils): every byte of the image must match what the tools
// put in or take out. Skipped where the tools are not installed.
#include "HexTestFiles.h"
#include "firmware/FirmwareImage.h"
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <random>

namespace {
constexpr DWORD kLow = CFirmwareImage::kLoaderLow;
constexpr DWORD kWindow = CFirmwareImage::kLoaderHigh - CFirmwareImage::kLoaderLow;

QString Tool(const char* name)
{
    return QStandardPaths::findExecutable(QString::fromLatin1(name));
}

bool RunTool(const QString& program, const QStringList& arguments, QString* output)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return false;
    *output = QString::fromLocal8Bit(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QByteArray RandomBytes(std::size_t count, std::uint32_t seed)
{
    std::mt19937 random(seed);
    QByteArray bytes(static_cast<qsizetype>(count), '\0');
    for (auto& b : bytes)
        b = static_cast<char>(random() & 0xFF);
    return bytes;
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Compares the image's window with the expected bytes and reports the first difference.
::testing::AssertionResult ImageEquals(const CFirmwareImage& image, const QByteArray& expected)
{
    for (DWORD i = 0; i < kWindow; ++i) {
        const BYTE want = i < static_cast<DWORD>(expected.size()) ? static_cast<BYTE>(expected[i]) : 0xFF;
        if (image.Buffer()[i] != want)
            return ::testing::AssertionFailure() << "address 0x" << std::hex << (kLow + i) << ": image "
                                                 << int(image.Buffer()[i]) << ", tool " << int(want);
    }
    return ::testing::AssertionSuccess();
}

class HexToolCrossCheck : public ::testing::Test {
protected:
    QString WriteBinary(const QString& name, const QByteArray& bytes) { return files.Write(name, bytes); }
    CHexTestFiles files;
    CFirmwareImage image;
};

TEST_F(HexToolCrossCheck, PartImageWrittenByObjcopy)
{
    const QString objcopy = Tool("objcopy");
    if (objcopy.isEmpty())
        GTEST_SKIP() << "objcopy (Debian package binutils) is not installed";
    const QByteArray data = RandomBytes(200000, 2);
    const QString bin = WriteBinary("in.bin", data);
    const QString hex = files.Path("objcopy.hex");
    QString error;
    ASSERT_TRUE(RunTool(objcopy, {"-I", "binary", "-O", "ihex", "--change-addresses", "0x1D000000", bin, hex}, &error))
        << error.toStdString();
    ASSERT_TRUE(image.LoadForLoader(hex)) << std::hex << image.LastError();
    EXPECT_TRUE(ImageEquals(image, data));
    // 200000 bytes end inside the 391st block of 512.
    EXPECT_EQ(image.UsedLength(), 391u * 512u);
}

// A scattered file of our own making (records of random length, gaps, address records, data
// outside the window and across its end) that srec_cat turns into the window's bytes with the
// same fill: the two readings must agree.
TEST_F(HexToolCrossCheck, ScatteredRecordsReadAlikeBySrecCat)
{
    const QString srec = Tool("srec_cat");
    if (srec.isEmpty())
        GTEST_SKIP() << "srec_cat (Debian package srecord) is not installed";
    std::mt19937 random(3);
    QByteArray text;
    // Slots of 0x400 bytes from 0x1CFFF000 to 0x1D081000 keep records from overlapping (srec_cat
    // refuses contradictory data); a slot gets one record at a random place in it.
    DWORD currentUpper = 0xFFFFFFFF;
    for (DWORD slot = 0x1CFFF000; slot < 0x1D081000; slot += 0x400) {
        if (random() % 3 == 0)
            continue;
        const DWORD length = 1 + random() % 255;
        const DWORD address = slot + random() % (0x400 - length);
        const DWORD upper = address >> 16;
        if ((address & 0xFFFF) + length > 0x10000)
            continue; // a record does not wrap its 64 KiB segment
        if (upper != currentUpper) {
            text += CHexTestFiles::Record(4, 0, {static_cast<BYTE>(upper >> 8), static_cast<BYTE>(upper)});
            currentUpper = upper;
        }
        std::vector<BYTE> bytes(length);
        for (auto& b : bytes)
            b = static_cast<BYTE>(random());
        text += CHexTestFiles::Record(0, static_cast<WORD>(address), bytes);
    }
    // The record that runs past the window's end: 0x1D07FFF8, 16 bytes.
    text += CHexTestFiles::Record(4, 0, {0x1D, 0x07});
    text += CHexTestFiles::Record(0, 0xFFF8, std::vector<BYTE>(16, 0x5A));
    text += ":00000001FF\r\n";
    const QString hex = files.Write("scattered.hex", text);

    const QString bin = files.Path("srec.bin");
    QString error;
    ASSERT_TRUE(RunTool(srec,
        {hex, "-intel", "-crop", "0x1D000000", "0x1D07FFFF", "-fill", "0xFF", "0x1D000000", "0x1D07FFFF", "-offset",
            "-0x1D000000", "-o", bin, "-binary"},
        &error))
        << error.toStdString();
    const QByteArray expected = ReadAll(bin);
    ASSERT_EQ(expected.size(), static_cast<qsizetype>(kWindow));
    ASSERT_TRUE(image.LoadForLoader(hex)) << std::hex << image.LastError();
    EXPECT_TRUE(ImageEquals(image, expected));
    EXPECT_EQ(static_cast<BYTE>(expected[kWindow - 1]), 0x5A);
}

} // namespace
