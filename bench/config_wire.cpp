// Wire time of a full configuration save and a full restore: the program's machines on a real
// serial port object, talking to qro4000-sim on a pseudo-terminal that paces both directions
// at the line's bit rate. The time taken, less the pauses the sequences make on purpose, is
// compared with the time the bytes exchanged need on the line (10 bits per byte). The last
// column is the program's own share of the block loop's time: from the end of each answer to
// the end of writing the next block command (the rest is the line and the simulated amplifier).
//
//   bench_config_wire --sim PATH [--baud 230400] [--delay MS]
#include "WireBench.h"
#include "config/ConfigFileReader.h"
#include "config/ConfigFileWriter.h"
#include "config/ConfigRestoreStateMachine.h"
#include "config/ConfigSaveStateMachine.h"
#include "model/ContactStateMachineInterface.h"
#include "link/QtEventHost.h"
#include "model/Model.h"
#include "model/QtSettingsStore.h"
#include "sim/PortFactory.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {
// Counts what crosses the port in each direction.
class CTimingPort : public CForwardingPort {
public:
    using CForwardingPort::CForwardingPort;
    bool Read(BYTE* buffer, DWORD count, DWORD* bytesRead) override
    {
        const bool ok = CForwardingPort::Read(buffer, count, bytesRead);
        if (ok) {
            received += *bytesRead;
            if (*bytesRead > 0 && buffer[*bytesRead - 1] == ';')
                m_answerEndNs = clock.nsecsElapsed();
        }
        return ok;
    }
    bool WriteText(const QString& text) override
    {
        sent += static_cast<std::uint64_t>(text.size());
        // The program's own share in the block loop: from the end of an answer to the end of
        // writing the next block command. (Other commands follow the sequences' timed pauses.)
        const bool block = text.startsWith(QLatin1String("^er")) || text.startsWith(QLatin1String("^ew"));
        const qint64 start = clock.nsecsElapsed();
        if (block && m_answerEndNs >= 0)
            programNs += start - m_answerEndNs;
        const bool ok = CForwardingPort::WriteText(text);
        if (block)
            programNs += clock.nsecsElapsed() - start;
        m_answerEndNs = -1;
        return ok;
    }
    void ResetCounts()
    {
        sent = received = 0;
        programNs = 0;
        m_answerEndNs = -1;
        clock.start();
    }
    bool WriteBytes(const BYTE* data, DWORD count) override
    {
        sent += count;
        return CForwardingPort::WriteBytes(data, count);
    }

    std::uint64_t sent = 0;
    std::uint64_t received = 0;
    qint64 programNs = 0;
    QElapsedTimer clock;

private:
    qint64 m_answerEndNs = -1;
};

// Ends the event loop the moment the completion event arrives, so that the time measured is
// the sequence's own.
class CCompletionWaiter : public IEventSink {
public:
    explicit CCompletionWaiter(CModel& model)
        : m_model(model)
    {
        m_model.m_completion.AddObserver(this);
    }
    ~CCompletionWaiter() { m_model.m_completion.RemoveObserver(this); }
    void OnEvent(std::uint32_t, std::uintptr_t index, std::intptr_t) override
    {
        result = static_cast<DWORD>(index);
        done = true;
        elapsedNs = clock.nsecsElapsed();
        loop.quit();
    }
    DWORD Run(int limitMs)
    {
        QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
        if (!done)
            loop.exec();
        return done ? result : Result::Timeout;
    }
    QElapsedTimer clock;
    QEventLoop loop;
    bool done = false;
    DWORD result = 0;
    qint64 elapsedNs = 0;

private:
    CModel& m_model;
};

struct CMeasure {
    const char* name;
    DWORD result;
    double seconds;
    double pauses;
    std::uint64_t sent;
    std::uint64_t received;
    double programSeconds;
};

void PrintRow(const CMeasure& m, DWORD baud)
{
    const double limit = static_cast<double>(m.sent + m.received) * 10.0 / baud;
    const double ratio = (m.seconds - m.pauses) / limit;
    std::printf("%-8s %7u %9llu %9llu %10.3f %8.3f %10.3f %7.3f %9.3f%s\n", m.name, baud,
        static_cast<unsigned long long>(m.sent), static_cast<unsigned long long>(m.received), m.seconds, m.pauses,
        limit, ratio, m.programSeconds, m.result == 0 ? "" : "  FAILED");
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    CWireBenchOptions options {{}, 230400, QStringLiteral("0")};
    if (!ParseWireBenchOptions(app.arguments(), &options)) {
        std::fprintf(stderr, "usage: bench_config_wire --sim PATH [--baud 230400] [--delay MS]\n");
        return 2;
    }
    const QString& simPath = options.simPath;
    const DWORD baud = options.baud;
    const QString& delay = options.delay;

    QProcess sim;
    const QString pty = StartSimulator(
        sim, simPath, {"--baud", QString::number(baud), "--pace", "--delay", delay}, "bench_config_wire");
    if (pty.isEmpty())
        return 1;

    QTemporaryDir dir;
    CQtEventHost host;
    CModel model(host, std::make_unique<CQtSettingsStore>(dir.filePath("settings.ini")));
    model.SetApplicationDataFolder(dir.filePath("appdata"));
    CTimingPort* counter = nullptr;
    model.SetPortFactory([&](const QString& name) -> std::unique_ptr<ISerialPort> {
        auto port = std::make_unique<CTimingPort>(CreatePort(name, host));
        counter = port.get();
        return port;
    });
    if (!ContactAmplifier(model, pty, "bench_config_wire")) {
        sim.terminate();
        sim.waitForFinished(3000);
        return 1;
    }

    std::vector<CMeasure> rows;
    // Save.
    auto* save = model.CreateMachine<CConfigSaveStateMachine>();
    counter->ResetCounts();
    {
        CCompletionWaiter waiter(model);
        waiter.clock.start();
        save->Start();
        const DWORD result = waiter.Run(3600 * 1000);
        rows.push_back({"save", result, static_cast<double>(waiter.elapsedNs) / 1e9,
            (CConfigSaveStateMachine::kFinishDelay + 10) / 1000.0, counter->sent, counter->received,
            counter->programNs / 1e9});
    }
    const QString file = dir.filePath("bench.QRO4000Config");
    if (rows.back().result == 0 && WriteConfigFile(model, file, QDateTime::currentDateTime(), *save) != 0)
        rows.back().result = Result::WriteFault;

    // Restore of what was just saved.
    if (rows.back().result == 0) {
        auto* restore = model.CreateMachine<CConfigRestoreStateMachine>();
        QString message;
        DWORD result = LoadConfigFile(file, model.m_serialNumber.m_value, *restore, &message);
        counter->ResetCounts();
        double seconds = 0;
        if (result == 0) {
            CCompletionWaiter waiter(model);
            waiter.clock.start();
            restore->Start();
            result = waiter.Run(3600 * 1000);
            seconds = static_cast<double>(waiter.elapsedNs) / 1e9;
        }
        rows.push_back(
            {"restore", result, seconds, (10 + CConfigRestoreStateMachine::kPostRestoreDelay + 10 + 10) / 1000.0,
                counter->sent, counter->received, counter->programNs / 1e9});
    }

    for (const CMeasure& m : rows)
        PrintRow(m, baud);
    model.ClosePort();
    sim.terminate();
    sim.waitForFinished(3000);
    for (const CMeasure& m : rows)
        if (m.result != 0)
            return 1;
    return 0;
}
