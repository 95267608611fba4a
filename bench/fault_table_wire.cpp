// Wire time of a full fault table read (the index and 1024 entries of 32 bytes, one "^er" each):
// the program's reader and machine on a real serial port object, talking to qro4000-sim on a
// pseudo-terminal that paces both directions at the line's bit rate. The time taken is compared
// with the time the bytes exchanged need on the line (10 bits per byte).
//
//   bench_fault_table_wire --sim PATH [--baud 230400] [--delay MS]
#include "WireBench.h"
#include "model/ContactStateMachineInterface.h"
#include "link/QtEventHost.h"
#include "maintenance/FaultTableReader.h"
#include "model/Model.h"
#include "model/QtSettingsStore.h"
#include "sim/PortFactory.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    CWireBenchOptions options {{}, 230400, QStringLiteral("0")};
    if (!ParseWireBenchOptions(app.arguments(), &options)) {
        std::fprintf(stderr, "usage: bench_fault_table_wire --sim PATH [--baud 230400] [--delay MS]\n");
        return 2;
    }
    const QString& simPath = options.simPath;
    const DWORD baud = options.baud;
    const QString& delay = options.delay;
    QProcess sim;
    const QString pty = StartSimulator(sim, simPath,
        {"--baud", QString::number(baud), "--pace", "--delay", delay, "--fault-entries", "1500"},
        "bench_fault_table_wire");
    if (pty.isEmpty())
        return 1;

    QTemporaryDir dir;
    CQtEventHost host;
    CModel model(host, std::make_unique<CQtSettingsStore>(dir.filePath("settings.ini")));
    CCountingPort* counter = nullptr;
    model.SetPortFactory([&](const QString& name) -> std::unique_ptr<ISerialPort> {
        auto port = std::make_unique<CCountingPort>(CreatePort(name, host));
        counter = port.get();
        return port;
    });
    if (!ContactAmplifier(model, pty, "bench_fault_table_wire")) {
        return 1;
    }

    DWORD result = Result::IoPending;
    unsigned entries = 0;
    CFaultTableReader reader(
        model, [&](unsigned, const CFaultEntry&) { ++entries; }, [&](DWORD end) { result = end; });
    counter->sent = counter->received = 0;
    QElapsedTimer clock;
    clock.start();
    reader.Start();
    RunUntil([&] { return !reader.IsRunning(); }, 3600 * 1000);
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    const double line = static_cast<double>(counter->sent + counter->received) * 10.0 / baud;
    std::printf("%-11s %7u %8u %9llu %9llu %9.3f %9.3f %7.3f%s\n", "fault table", baud, entries,
        static_cast<unsigned long long>(counter->sent), static_cast<unsigned long long>(counter->received), seconds,
        line, seconds / line, result == 0 ? "" : "  FAILED");
    sim.terminate();
    sim.waitForFinished(3000);
    return result == 0 ? 0 : 1;
}
