#pragma once
// Running the real programs from end-to-end tests: a child process that is always ended, and
// one run of the command-line program with its exit status and output.
#include "EventLoop.h"
#include "TestFiles.h"
#include "TextMatchers.h"
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

// A child process that is always ended: politely first, then for good.
class CChild {
public:
    CChild() { m_process.setProcessChannelMode(QProcess::SeparateChannels); }
    ~CChild() { Stop(); }
    QProcess& Process() { return m_process; }

    void Stop()
    {
        if (m_process.state() == QProcess::NotRunning)
            return;
        m_process.terminate();
        if (!m_process.waitForFinished(5000)) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }

    // Reads what it writes until `done` holds, the child has ended, or `timeoutMs` has passed;
    // answers `done()`.
    bool WaitUntil(const std::function<bool()>& done, int timeoutMs = 20000)
    {
        QElapsedTimer clock;
        clock.start();
        for (;;) {
            out += QString::fromUtf8(m_process.readAllStandardOutput());
            err += QString::fromUtf8(m_process.readAllStandardError());
            if (done() || clock.elapsed() > timeoutMs || m_process.state() == QProcess::NotRunning)
                return done();
            m_process.waitForReadyRead(50);
        }
    }
    // ... until standard error (or output) holds `text` `times` times.
    bool WaitForErr(const QString& text, int times = 1, int timeoutMs = 20000)
    {
        return WaitUntil([&] { return err.count(text) >= times; }, timeoutMs);
    }
    bool WaitForOut(const QString& text, int times = 1, int timeoutMs = 20000)
    {
        return WaitUntil([&] { return out.count(text) >= times; }, timeoutMs);
    }
    QString out, err; // all it has written so far, as far as read

private:
    QProcess m_process;
};

struct CliRun {
    int exitCode = -1;
    bool finished = false;
    QString out, err;
};

// Starts qro4000 with its settings in `home` (never the user's), extra "NAME=value" variables,
// and no standard input.
inline QProcessEnvironment CliEnvironment(const QTemporaryDir& home, const QStringList& env = {})
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("HOME"), home.path());
    e.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    e.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    for (const QString& pair : env)
        e.insert(pair.section('=', 0, 0), pair.section('=', 1));
    return e;
}

inline void StartCli(CChild& cli, const QTemporaryDir& home, const QStringList& args, const QStringList& env = {})
{
    cli.Process().setProcessEnvironment(CliEnvironment(home, env));
    cli.Process().setStandardInputFile(QProcess::nullDevice());
    cli.Process().start(QStringLiteral(QRO_CLI_PATH), args);
}

// Waits for its end (the event loop runs meanwhile, for servers of this process).
inline CliRun Finish(CChild& cli, int timeoutMs = 120000)
{
    EnsureApplication();
    CliRun run;
    run.finished = RunEventsUntil([&] { return cli.Process().state() == QProcess::NotRunning; }, timeoutMs)
        && cli.Process().error() != QProcess::FailedToStart;
    run.out = cli.out + QString::fromUtf8(cli.Process().readAllStandardOutput());
    run.err = cli.err + QString::fromUtf8(cli.Process().readAllStandardError());
    if (run.finished && cli.Process().exitStatus() == QProcess::NormalExit)
        run.exitCode = cli.Process().exitCode();
    return run;
}

// Runs it to its end.
inline CliRun RunCli(
    const QTemporaryDir& home, const QStringList& args, const QStringList& env = {}, int timeoutMs = 120000)
{
    CChild cli;
    StartCli(cli, home, args, env);
    return Finish(cli, timeoutMs);
}

// Starts qro4000-sim serving a pseudo-terminal linked at `link`; answers the terminal's path
// it prints (empty when it printed none).
inline QString StartSimOnPty(CChild& sim, const QString& link, const QStringList& args = {})
{
    sim.out.clear();
    sim.Process().start(QStringLiteral(QRO_SIM_PATH), QStringList {"--link", link} + args);
    return sim.WaitForOut(QStringLiteral("\n"), 1, 10000) ? sim.out.section('\n', 0, 0).trimmed() : QString();
}

// The command-line tests' fixture: qro4000 with its settings and folders in a temporary home, on
// its built-in simulated amplifier at 38400 bit/s unpaced, with further options (",name=value").
class CliTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    static QString Sim(const QString& options = {}) { return QStringLiteral("QRO4000_SIM=baud=38400,pace=0") + options; }
    CliRun Run(const QStringList& args, const QString& simOptions = {}, int timeoutMs = 120000)
    {
        return RunCli(m_dir, args, {Sim(simOptions)}, timeoutMs);
    }
    void Start(CChild& cli, const QStringList& args, const QString& simOptions = {})
    {
        StartCli(cli, m_dir, args, {Sim(simOptions)});
    }
    QTemporaryDir m_dir;
};
