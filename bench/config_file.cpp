// Configuration file speed: writing (format, write through a temporary file, flush to disk,
// rename) and reading (read, check the CRC, parse every line) a whole 0x40000-byte memory,
// each against a plain CRC-32 pass over the same bytes in the same run. The median and the
// best of the repetitions are reported; MB/s and the ratio are of the median. The flush to
// the disk is the one step whose time depends on the disk and what else uses it.
//
//   bench_config_file [--repeat N] [--folder DIR]
#include "config/ConfigFileReader.h"
#include "config/ConfigFileWriter.h"
#include "config/ConfigImage.h"
#include "config/Crc32.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <cstdio>
#include <random>
#include <vector>

namespace {
class CRandomSource : public IConfigMemorySource {
public:
    CRandomSource()
        : m_bytes(0x40000)
    {
        std::mt19937 random(1234);
        for (BYTE& b : m_bytes)
            b = static_cast<BYTE>(random());
    }
    const BYTE* GetData(DWORD address, DWORD) const override { return m_bytes.data() + address; }

private:
    std::vector<BYTE> m_bytes;
};

// The classic one-byte-table CRC-32, the plain pass a reader of this file could not beat by
// much: every byte of the file goes through one table look-up.
DWORD PlainCrc32(const QByteArray& bytes)
{
    static const std::array<DWORD, 256> table = [] {
        std::array<DWORD, 256> t {};
        for (DWORD i = 0; i < 256; ++i) {
            DWORD r = i;
            for (int bit = 0; bit < 8; ++bit)
                r = (r & 1) ? (r >> 1) ^ 0xEDB88320u : r >> 1;
            t[i] = r;
        }
        return t;
    }();
    DWORD r = 0xFFFFFFFFu;
    for (char c : bytes)
        r = (r >> 8) ^ table[(r ^ static_cast<BYTE>(c)) & 0xFF];
    return ~r;
}

struct CTiming {
    double median;
    double best;
};

template <class F> CTiming Measure(int repeat, F&& work)
{
    std::vector<double> times;
    for (int i = 0; i < repeat; ++i) {
        QElapsedTimer clock;
        clock.start();
        work();
        times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e9);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times.front()};
}

volatile DWORD g_sink = 0;
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int repeat = 51;
    QString folder;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        if (args[i] == "--repeat" && i + 1 < args.size())
            repeat = std::max(1, args[++i].toInt());
        else if (args[i] == "--folder" && i + 1 < args.size())
            folder = args[++i];
    }
    QTemporaryDir temporary(folder.isEmpty() ? QDir::tempPath() + "/qro-bench-XXXXXX" : folder + "/qro-bench-XXXXXX");
    const QString path = temporary.filePath("bench.QRO4000Config");

    const CRandomSource source;
    CConfigFileHeader header;
    header.timeStamp = QDateTime(QDate(2024, 1, 5), QTime(13, 45, 1));
    header.serialNumber = 1234;
    header.firmwareRevision = 153;
    const QByteArray text = FormatConfigFile(header, source);
    const double mb = static_cast<double>(text.size()) / 1e6;

    const CTiming crcPlain = Measure(repeat, [&] { g_sink = g_sink + PlainCrc32(text); });
    const CTiming crcFast = Measure(
        repeat, [&] { g_sink = g_sink + CCrc32::Update(0, text.constData(), static_cast<std::size_t>(text.size())); });
    const CTiming format = Measure(repeat, [&] { g_sink = g_sink + FormatConfigFile(header, source).size(); });
    DWORD failures = 0;
    const CTiming write = Measure(repeat, [&] { failures += WriteConfigFile(header, path, source) != 0; });
    // The same bytes through an ordinary file, without the flush to the disk and the rename that
    // make the real write safe: what the flush costs on this disk.
    const QString plainPath = temporary.filePath("plain.QRO4000Config");
    const CTiming writePlain = Measure(repeat, [&] {
        QFile file(plainPath);
        const QByteArray bytes = FormatConfigFile(header, source);
        failures += !file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size();
    });
    CConfigImage image;
    const CTiming read = Measure(repeat, [&] { failures += ReadConfigFile(path, 1234, &image, nullptr) != 0; });
    const CTiming parse = Measure(repeat, [&] {
        CConfigFileReader reader(1234, &image);
        failures += reader.Feed(text.constData(), static_cast<std::size_t>(text.size())) != 0 || reader.Finish() != 0;
    });
    if (failures != 0) {
        std::fprintf(stderr, "bench_config_file: %u runs failed\n", failures);
        return 1;
    }

    std::printf("Configuration file: %lld bytes (%d repetitions, median), in %s\n", static_cast<long long>(text.size()),
        repeat, qPrintable(QDir::toNativeSeparators(temporary.path())));
    std::printf("%-46s %9s %9s %9s %12s\n", "step", "ms", "best ms", "MB/s", "x plain CRC");
    auto row = [&](const char* name, const CTiming& t) {
        std::printf("%-46s %9.3f %9.3f %9.0f %12.2f\n", name, t.median * 1e3, t.best * 1e3, mb / t.median,
            t.median / crcPlain.median);
    };
    row("plain CRC-32 pass (one-byte table)", crcPlain);
    row("CRC-32 as the file uses it (eight tables)", crcFast);
    row("format the text (lines, hex, CRC)", format);
    row("write file (format, write, flush, rename)", write);
    row("write without flush to disk (format, write)", writePlain);
    row("read file (read, CRC, parse, store)", read);
    row("parse text already in memory", parse);
    return 0;
}
