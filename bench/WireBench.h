#pragma once
// What the wire-time benchmarks share: qro4000-sim started on a pseudo-terminal, a port that
// hands everything to the real one so that a benchmark can count and time what crosses it,
// and the event loop run until a condition holds.
#include "model/ContactStateMachineInterface.h"
#include "model/SerialPortInterface.h"
#include "model/StateMachine.h"
#include "model/Model.h"
#include <QEventLoop>
#include <QProcess>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <memory>

// Passes every operation to the port it wraps; benchmarks override what they measure.
class CForwardingPort : public ISerialPort {
public:
    explicit CForwardingPort(std::unique_ptr<ISerialPort> port)
        : m_port(std::move(port))
    {
    }
    bool Open(const QString& name, bool quiet) override { return m_port->Open(name, quiet); }
    void Close() override { m_port->Close(); }
    bool IsOpen() const override { return m_port->IsOpen(); }
    QString Name() const override { return m_port->Name(); }
    bool SetSpeed(DWORD bitsPerSecond) override { return m_port->SetSpeed(bitsPerSecond); }
    DWORD Speed() const override { return m_port->Speed(); }
    bool PurgeReceive() override { return m_port->PurgeReceive(); }
    bool Read(BYTE* buffer, DWORD count, DWORD* bytesRead) override { return m_port->Read(buffer, count, bytesRead); }
    bool WriteText(const QString& text) override { return m_port->WriteText(text); }
    bool WriteBytes(const BYTE* data, DWORD count) override { return m_port->WriteBytes(data, count); }
    DWORD LastError() const override { return m_port->LastError(); }
    void SetNotify(std::function<void()> notify) override { m_port->SetNotify(std::move(notify)); }
    void Settle(DWORD ms) override { m_port->Settle(ms); }

private:
    std::unique_ptr<ISerialPort> m_port;
};

// Counts the bytes that cross the port and the writes made, for the wire-time tables.
class CCountingPort : public CForwardingPort {
public:
    using CForwardingPort::CForwardingPort;
    bool Read(BYTE* buffer, DWORD count, DWORD* bytesRead) override
    {
        const bool ok = CForwardingPort::Read(buffer, count, bytesRead);
        if (ok)
            received += *bytesRead;
        return ok;
    }
    bool WriteText(const QString& text) override
    {
        sent += static_cast<std::uint64_t>(text.size());
        ++writes;
        return CForwardingPort::WriteText(text);
    }
    std::uint64_t sent = 0;
    std::uint64_t received = 0;
    std::uint64_t writes = 0;
};

// Runs the event loop until `done` holds or `limitMs` have passed; answers `done()`.
inline bool RunUntil(const std::function<bool()>& done, int limitMs)
{
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    tick.start(1);
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

// Starts qro4000-sim with `arguments` and reads the pseudo-terminal path it prints; empty when
// it did not start (the reason is on standard error, under the benchmark's name).
inline QString StartSimulator(QProcess& sim, const QString& path, const QStringList& arguments, const char* benchmark)
{
    sim.setProcessChannelMode(QProcess::SeparateChannels);
    sim.start(path, arguments);
    if (!sim.waitForStarted(5000) || !sim.waitForReadyRead(5000)) {
        std::fprintf(stderr, "%s: %s did not start\n", benchmark, qPrintable(path));
        return {};
    }
    return QString::fromLocal8Bit(sim.readLine()).trimmed();
}

// The options every wire benchmark takes, --sim PATH [--baud N] [--delay MS], with their
// defaults filled in by the caller; a benchmark's own options go to `extra` (option, value),
// which answers whether it took them. False when PATH is missing or the speed is unknown.
struct CWireBenchOptions {
    QString simPath;
    DWORD baud = 0;
    QString delay;
};

inline bool ParseWireBenchOptions(const QStringList& args, CWireBenchOptions* options,
    const std::function<bool(const QString&, const QString&)>& extra = {})
{
    for (int i = 1; i + 1 < args.size(); ++i) {
        const QString& value = args[i + 1];
        if (args[i] == "--sim")
            options->simPath = value;
        else if (args[i] == "--baud")
            options->baud = value.toUInt();
        else if (args[i] == "--delay")
            options->delay = value;
        else if (!extra || !extra(args[i], value))
            continue;
        ++i;
    }
    return !options->simPath.isEmpty() && IsSupportedSpeed(options->baud);
}

// Finds the amplifier on `pty` with the model's contact sequence; false, said on standard
// error under the benchmark's name, when no amplifier runs its application there.
inline bool ContactAmplifier(CModel& model, const QString& pty, const char* benchmark)
{
    model.m_port.m_value = pty;
    model.ContactMachine()->StartContact();
    if (RunUntil([&] { return model.ContactMachine()->IsIdle(); }, 60000)
        && model.m_firmwareStatus.m_value == FirmwareApplication)
        return true;
    std::fprintf(stderr, "%s: no amplifier on %s\n", benchmark, qPrintable(pty));
    return false;
}
