// The reader against an independent tool: srec_cat (Debian package srecord) turns a scattered HEX
// file into the loader window's bytes; every byte of our image must match. Skipped without it.
#include "HexTestFiles.h"
#include "firmware/FirmwareImage.h"
#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>
#include <random>

// Records of random length in slots of 0x400 bytes (srec_cat refuses overlapping data), gaps,
// address records, data outside the window and one record across its end.
TEST(HexToolCrossCheck, ScatteredRecordsReadAlikeBySrecCat)
{
    const QString srec = QStandardPaths::findExecutable(QStringLiteral("srec_cat"));
    if (srec.isEmpty())
        GTEST_SKIP() << "srec_cat (Debian package srecord) is not installed";
    std::mt19937 random(3);
    QByteArray text;
    DWORD currentUpper = 0xFFFFFFFF;
    for (DWORD slot = 0x1CFFF000; slot < 0x1D081000; slot += 0x400) {
        const DWORD length = 1 + random() % 255;
        const DWORD address = slot + random() % (0x400 - length);
        if (random() % 3 == 0 || (address & 0xFFFF) + length > 0x10000)
            continue; // a gap; a record never wraps its 64 KiB segment
        if (address >> 16 != currentUpper) {
            currentUpper = address >> 16;
            text
                += CHexTestFiles::Record(4, 0, {static_cast<BYTE>(currentUpper >> 8), static_cast<BYTE>(currentUpper)});
        }
        std::vector<BYTE> bytes(length);
        for (auto& b : bytes)
            b = static_cast<BYTE>(random());
        text += CHexTestFiles::Record(0, static_cast<WORD>(address), bytes);
    }
    text += CHexTestFiles::Record(4, 0, {0x1D, 0x07}) + CHexTestFiles::Record(0, 0xFFF8, std::vector<BYTE>(16, 0x5A));
    CHexTestFiles files;
    const QString hex = files.Write("scattered.hex", text + ":00000001FF\r\n");
    QProcess tool;
    tool.start(srec,
        {hex, "-intel", "-crop", "0x1D000000", "0x1D07FFFF", "-fill", "0xFF", "0x1D000000", "0x1D07FFFF", "-offset",
            "-0x1D000000", "-o", files.Path("srec.bin"), "-binary"});
    ASSERT_TRUE(tool.waitForFinished(60000) && tool.exitCode() == 0) << tool.readAllStandardError().toStdString();
    const QByteArray expected = ReadWholeFile(files.Path("srec.bin"));
    const DWORD window = CFirmwareImage::kLoaderHigh - CFirmwareImage::kLoaderLow;
    ASSERT_EQ(expected.size(), static_cast<qsizetype>(window));
    ASSERT_EQ(static_cast<BYTE>(expected[window - 1]), 0x5A);
    CFirmwareImage image;
    ASSERT_TRUE(image.LoadForLoader(hex)) << std::hex << image.LastError();
    EXPECT_EQ(image.UsedLength(), window + 1); // the record across the end fills the last block
    for (DWORD i = 0; i < window; ++i)
        ASSERT_EQ(image.Buffer()[i], static_cast<BYTE>(expected[i]))
            << "at 0x" << std::hex << (CFirmwareImage::kLoaderLow + i);
}
