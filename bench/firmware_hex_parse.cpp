// HEX reading speed: a 512 KiB image's HEX file (written by srec_cat when it is installed) read
// by the program's reader, by srec_cat and by objcopy in the same run, in MB/s of HEX text.
// The tools run as processes, so their figures include starting up; the same tools on a file
// of one record give that start-up time, and the "net" column leaves it out.
//
//   bench_firmware_hex_parse [RUNS]     (default 20)
#include "firmware/FirmwareImage.h"
#include "firmware/IntelHexReader.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {
constexpr DWORD kImageSize = 0x80000;

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray Hex2(unsigned v)
{
    static const char digits[] = "0123456789ABCDEF";
    return QByteArray(1, digits[(v >> 4) & 15]) + digits[v & 15];
}

// Our own writer, for machines without srec_cat: 32-byte records, like srec_cat's default.
QByteArray WriteHex(const QByteArray& image, DWORD base)
{
    QByteArray text;
    DWORD upper = 0xFFFFFFFF;
    for (qsizetype at = 0; at < image.size(); at += 32) {
        const DWORD address = base + static_cast<DWORD>(at);
        if ((address >> 16) != upper) {
            upper = address >> 16;
            const unsigned sum = 2 + 4 + (upper >> 8) + (upper & 0xFF);
            text += ":02000004" + Hex2(upper >> 8) + Hex2(upper) + Hex2(0x100 - (sum & 0xFF)) + "\r\n";
        }
        const qsizetype n = std::min<qsizetype>(32, image.size() - at);
        unsigned sum = static_cast<unsigned>(n) + ((address >> 8) & 0xFF) + (address & 0xFF);
        QByteArray line = ":" + Hex2(static_cast<unsigned>(n)) + Hex2(address >> 8) + Hex2(address) + "00";
        for (qsizetype i = 0; i < n; ++i) {
            const auto b = static_cast<unsigned char>(image[at + i]);
            line += Hex2(b);
            sum += b;
        }
        text += line + Hex2(0x100 - (sum & 0xFF)) + "\r\n";
    }
    return text + ":00000001FF\r\n";
}

double Best(std::vector<double> seconds)
{
    return *std::min_element(seconds.begin(), seconds.end());
}
double Median(std::vector<double> seconds)
{
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

// Wall time of each run of a program; empty when it cannot run.
std::vector<double> TimeProgram(const QString& program, const QStringList& arguments, int runs)
{
    std::vector<double> seconds;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        QProcess process;
        process.start(program, arguments);
        if (!process.waitForFinished(60000) || process.exitCode() != 0)
            return {};
        seconds.push_back(clock.nsecsElapsed() / 1e9);
    }
    return seconds;
}

void Row(const char* name, double megabytes, const std::vector<double>& runs, double startup)
{
    if (runs.empty()) {
        std::printf("%-22s %10s\n", name, "not run");
        return;
    }
    const double best = Best(runs);
    const double net = best - startup;
    std::printf("%-22s %10.2f %10.2f %10.1f %10.1f\n", name, best * 1000, Median(runs) * 1000, megabytes / best,
        net > 0 ? megabytes / net : 0.0);
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 20;
    QTemporaryDir dir;
    std::mt19937 random(2024);
    QByteArray image(kImageSize, '\0');
    for (auto& b : image)
        b = static_cast<char>(random());
    const QString bin = dir.filePath("image.bin");
    const QString hex = dir.filePath("image.hex");
    WriteFile(bin, image);

    const QString srec = QStandardPaths::findExecutable("srec_cat");
    const QString objcopy = QStandardPaths::findExecutable("objcopy");
    const char* writer = "srec_cat";
    if (srec.isEmpty()
        || QProcess::execute(srec, {bin, "-binary", "-offset", "0x1D000000", "-o", hex, "-intel"}) != 0) {
        WriteFile(hex, WriteHex(image, CFirmwareImage::kLoaderLow));
        writer = "this benchmark";
    }
    const QString tiny = dir.filePath("tiny.hex");
    WriteFile(tiny, ":020000041D00DD\r\n:0401000001020304F1\r\n:00000001FF\r\n");
    const double megabytes = QFileInfo(hex).size() / 1e6;

    std::vector<double> ours;
    CFirmwareImage loaded;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        const bool ok = loaded.LoadForLoader(hex);
        ours.push_back(clock.nsecsElapsed() / 1e9);
        if (!ok) {
            std::fprintf(stderr, "the reader failed: 0x%08X at line %u\n", loaded.LastError(), loaded.ErrorLine());
            return 1;
        }
    }
    if (QByteArray(reinterpret_cast<const char*>(loaded.Buffer()), kImageSize - 1) != image.left(kImageSize - 1)) {
        std::fprintf(stderr, "the image read differs from the bytes written\n");
        return 1;
    }
    std::vector<double> checks;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        ValidateHexFile(hex);
        checks.push_back(clock.nsecsElapsed() / 1e9);
    }

    const int toolRuns = std::max(3, runs / 2);
    const QString out = dir.filePath("out.bin");
    std::vector<double> srecRuns, srecTiny, objRuns, objTiny;
    if (!srec.isEmpty()) {
        srecRuns = TimeProgram(srec, {hex, "-intel", "-o", out, "-binary"}, toolRuns);
        srecTiny = TimeProgram(srec, {tiny, "-intel", "-o", out, "-binary"}, toolRuns);
    }
    if (!objcopy.isEmpty()) {
        objRuns = TimeProgram(objcopy, {"-I", "ihex", "-O", "binary", hex, out}, toolRuns);
        objTiny = TimeProgram(objcopy, {"-I", "ihex", "-O", "binary", tiny, out}, toolRuns);
    }

    std::printf("HEX file: %.3f MB of text for a %u KiB image, written by %s\n", megabytes, kImageSize / 1024, writer);
    std::printf("%-22s %10s %10s %10s %10s\n", "reader", "best ms", "median ms", "MB/s", "net MB/s");
    Row("this program (load)", megabytes, ours, 0);
    Row("this program (check)", megabytes, checks, 0);
    Row("srec_cat", megabytes, srecRuns, srecTiny.empty() ? 0 : Best(srecTiny));
    Row("objcopy", megabytes, objRuns, objTiny.empty() ? 0 : Best(objTiny));
    if (!objRuns.empty()) {
        const double objBest = Best(objRuns);
        const double objNet = objBest - (objTiny.empty() ? 0 : Best(objTiny));
        std::printf("ratio to objcopy: %.1f x (wall), %.1f x (objcopy without its start-up); goal 3 x or more\n",
            objBest / Best(ours), objNet > 0 ? objNet / Best(ours) : 0.0);
    }
    return 0;
}
