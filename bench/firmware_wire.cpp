// Wire time of a full firmware load: the loader on a real serial port object, talking to
// qro4000-sim on a pseudo-terminal that paces both directions at the line's bit rate. The
// download (from the first packet to the "B" that answers the end packet) is compared with the
// time its bytes need on a 38400 bit/s line, 10 bits per byte, both directions added since
// every packet waits for its answer. The whole load is shown beside it with the waits the
// sequence makes on purpose.
//
//   bench_firmware_wire --sim PATH [--baud 38400] [--delay MS] [--blocks 1024]
#include "WireBench.h"
#include "firmware/FileNameParts.h"
#include "firmware/LoaderPacket.h"
#include "firmware/McuLoaderStateMachine.h"
#include "model/ContactStateMachineInterface.h"
#include "link/QtEventHost.h"
#include "model/ErrorText.h"
#include "model/Model.h"
#include "model/QtSettingsStore.h"
#include "sim/PortFactory.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <random>

namespace {
constexpr DWORD kBootLoaderSpeed = 38400;
constexpr DWORD kEraseMs = 1500;

// Counts the bytes of the download and times it: from the first packet written to the "B"
// read after the end packet.
class CDownloadPort : public CForwardingPort {
public:
    explicit CDownloadPort(std::unique_ptr<ISerialPort> port)
        : CForwardingPort(std::move(port))
    {
        clock.start();
    }
    bool Read(BYTE* buffer, DWORD count, DWORD* bytesRead) override
    {
        const bool ok = CForwardingPort::Read(buffer, count, bytesRead);
        if (ok && m_counting) {
            received += *bytesRead;
            for (DWORD i = 0; i < *bytesRead; ++i)
                if (m_endSent && buffer[i] == 'B') {
                    endNs = clock.nsecsElapsed();
                    m_counting = false;
                }
        }
        return ok;
    }
    bool WriteText(const QString& text) override
    {
        if (m_counting)
            sent += static_cast<std::uint64_t>(text.size());
        return CForwardingPort::WriteText(text);
    }
    bool WriteBytes(const BYTE* data, DWORD count) override
    {
        if (count == LoaderPacket::kSize) {
            if (startNs < 0) {
                startNs = clock.nsecsElapsed();
                m_counting = true;
            }
            if (LoaderPacket::Address(data) == LoaderPacket::kEndAddress)
                m_endSent = true;
            else
                ++packets;
        }
        if (m_counting)
            sent += count;
        return CForwardingPort::WriteBytes(data, count);
    }

    QElapsedTimer clock;
    qint64 startNs = -1;
    qint64 endNs = -1;
    std::uint64_t sent = 0;
    std::uint64_t received = 0;
    unsigned packets = 0;

private:
    bool m_counting = false;
    bool m_endSent = false;
};

QByteArray Hex2(unsigned v)
{
    static const char digits[] = "0123456789ABCDEF";
    return QByteArray(1, digits[(v >> 4) & 15]) + digits[v & 15];
}

// A random image of `blocks` blocks of 512 as a HEX text with 32-byte records.
QByteArray MakeHex(unsigned blocks)
{
    std::mt19937 random(99);
    QByteArray text;
    DWORD upper = 0xFFFFFFFF;
    for (DWORD at = 0; at < blocks * 512; at += 32) {
        const DWORD address = CFirmwareImage::kLoaderLow + at;
        if ((address >> 16) != upper) {
            upper = address >> 16;
            const unsigned sum = 2 + 4 + (upper >> 8) + (upper & 0xFF);
            text += ":02000004" + Hex2(upper >> 8) + Hex2(upper) + Hex2(0x100 - (sum & 0xFF)) + "\r\n";
        }
        unsigned sum = 32 + ((address >> 8) & 0xFF) + (address & 0xFF);
        QByteArray line = ":20" + Hex2(address >> 8) + Hex2(address) + "00";
        for (int i = 0; i < 32; ++i) {
            const unsigned b = random() & 0xFF;
            line += Hex2(b);
            sum += b;
        }
        text += line + Hex2(0x100 - (sum & 0xFF)) + "\r\n";
    }
    return text + ":00000001FF\r\n";
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    CWireBenchOptions options {{}, 38400, QStringLiteral("0")};
    unsigned blocks = 1024;
    const auto takeBlocks = [&blocks](const QString& option, const QString& value) {
        if (option != "--blocks")
            return false;
        blocks = value.toUInt();
        return true;
    };
    if (!ParseWireBenchOptions(app.arguments(), &options, takeBlocks) || blocks == 0 || blocks > 1024) {
        std::fprintf(stderr, "usage: bench_firmware_wire --sim PATH [--baud 38400] [--delay MS] [--blocks 1024]\n");
        return 2;
    }
    const QString& simPath = options.simPath;
    const DWORD baud = options.baud;
    const QString& delay = options.delay;

    QProcess sim;
    const QString pty = StartSimulator(sim, simPath,
        {"--baud", QString::number(baud), "--pace", "--delay", delay, "--revision-after-load", "154", "--erase-ms",
            QString::number(kEraseMs)},
        "bench_firmware_wire");
    if (pty.isEmpty())
        return 1;

    QTemporaryDir dir;
    const QString hex = dir.filePath("qro4000fw0154.hex");
    {
        QFile file(hex);
        if (!file.open(QIODevice::WriteOnly) || file.write(MakeHex(blocks)) < 0)
            return 1;
    }
    CQtEventHost host;
    CModel model(host, std::make_unique<CQtSettingsStore>(dir.filePath("settings.ini")));
    model.SetApplicationDataFolder(dir.filePath("appdata"));
    CDownloadPort* port = nullptr;
    model.SetPortFactory([&](const QString& name) -> std::unique_ptr<ISerialPort> {
        auto p = std::make_unique<CDownloadPort>(CreatePort(name, host));
        port = p.get();
        return p;
    });
    if (!ContactAmplifier(model, pty, "bench_firmware_wire")) {
        sim.terminate();
        sim.waitForFinished(3000);
        return 1;
    }

    model.m_firmwareFile.Set(FileNameParts::Revisioned(hex));
    auto* loader = model.CreateMachine<CMcuLoaderStateMachine>();
    QElapsedTimer total;
    total.start();
    DWORD result = 0;
    if (loader->StartLoad(nullptr)) {
        if (!RunUntil([&] { return loader->IsIdle(); }, 3600 * 1000))
            loader->Cancel();
        RunUntil([&] { return loader->IsIdle(); }, 60000);
        result = loader->ResultCode();
        if (result == 0)
            result = loader->VerifyRevision(true);
    } else {
        result = loader->ResultCode();
    }
    const double totalSeconds = total.nsecsElapsed() / 1e9;

    const double download = port->endNs >= 0 ? (port->endNs - port->startNs) / 1e9 : 0;
    const double limit = static_cast<double>(port->sent + port->received) * 10.0 / kBootLoaderSpeed;
    const double waits = (2000 + kEraseMs + 3000) / 1000.0;
    std::printf("%-10s %7s %8s %9s %9s %10s %10s %7s %10s %8s\n", "app bit/s", "packets", "retries", "sent", "received",
        "download s", "line s", "ratio", "total s", "waits s");
    std::printf("%-10u %7u %8u %9llu %9llu %10.3f %10.3f %7.4f %10.3f %8.3f%s\n", baud, port->packets,
        loader->TotalRetries(), static_cast<unsigned long long>(port->sent),
        static_cast<unsigned long long>(port->received), download, limit, limit > 0 ? download / limit : 0,
        totalSeconds, waits, result == 0 ? "" : "  FAILED");
    if (result != 0)
        std::printf("%s\n", qPrintable(ErrorCodeLine(result)));
    model.ClosePort();
    sim.terminate();
    sim.waitForFinished(3000);
    return result == 0 ? 0 : 1;
}
