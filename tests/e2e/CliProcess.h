#pragma once
// Running the real programs from end-to-end tests: a child process that is always ended, and
// one run of the command-line program with its exit status and output.
#include "EventLoop.h"
#include "TestFiles.h"
#include "TextMatchers.h"
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
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
inline void StartCli(CChild& cli, const QTemporaryDir& home, const QStringList& args, const QStringList& env = {})
{
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("HOME"), home.path());
    e.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    e.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
    for (const QString& pair : env)
        e.insert(pair.section('=', 0, 0), pair.section('=', 1));
    cli.Process().setProcessEnvironment(e);
    cli.Process().setStandardInputFile(QProcess::nullDevice());
    cli.Process().start(QStringLiteral(QRO_CLI_PATH), args);
}

// Runs it to its end.
inline CliRun RunCli(
    const QTemporaryDir& home, const QStringList& args, const QStringList& env = {}, int timeoutMs = 120000)
{
    CChild cli;
    StartCli(cli, home, args, env);
    CliRun run;
    if (!cli.Process().waitForStarted(10000))
        return run;
    run.finished = cli.Process().waitForFinished(timeoutMs);
    run.out = QString::fromUtf8(cli.Process().readAllStandardOutput());
    run.err = QString::fromUtf8(cli.Process().readAllStandardError());
    if (run.finished && cli.Process().exitStatus() == QProcess::NormalExit)
        run.exitCode = cli.Process().exitCode();
    return run;
}

// Starts qro4000-sim serving a pseudo-terminal linked at `link`; answers the terminal's path
// it prints (empty when it printed none).
inline QString StartSimOnPty(CChild& sim, const QString& link, const QStringList& args = {})
{
    sim.Process().start(QStringLiteral(QRO_SIM_PATH), QStringList {"--link", link} + args);
    while (sim.Process().waitForStarted(10000) && !sim.Process().canReadLine())
        if (!sim.Process().waitForReadyRead(10000))
            return {};
    return QString::fromLocal8Bit(sim.Process().readLine()).trimmed();
}

// The command-line tests' fixture: qro4000 with its settings and folders in a temporary home, on
// its built-in simulated amplifier at 38400 bit/s unpaced, with further options (",name=value").
class CliTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    CliRun Run(const QStringList& args, const QString& simOptions = {}, int timeoutMs = 120000)
    {
        return RunCli(m_dir, args, {QStringLiteral("QRO4000_SIM=baud=38400,pace=0") + simOptions}, timeoutMs);
    }
    QTemporaryDir m_dir;
};
