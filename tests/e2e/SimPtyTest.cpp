// The real programs over a real pseudo-terminal: qro4000-sim serves the amplifier, qro4000
// talks to it as to a serial port.
#include "CliProcess.h"
#include "link/QtEventHost.h"
#include "link/ports/SerialPort.h"
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

namespace {
class SimPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        ASSERT_TRUE(m_dir.isValid());
        m_link = m_dir.filePath("amp");
    }

    // Starts qro4000-sim and waits for the path it prints.
    void StartSim(const QStringList& extra = {})
    {
        m_slave = StartSimOnPty(m_sim, m_link, QStringList {"--baud", "38400"} + extra);
        ASSERT_TRUE(m_slave.startsWith("/dev/")) << "qro4000-sim printed no path: " << m_slave.toStdString();
        ASSERT_TRUE(QFileInfo(m_link).isSymLink());
        ASSERT_EQ(QFileInfo(m_link).symLinkTarget(), m_slave);
    }

    CliRun RunCli(const QStringList& args, const QStringList& env = {}) { return ::RunCli(m_dir, args, env); }

    static void ExpectInfo(const CliRun& run)
    {
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_THAT(run.out, HasText("Revision:       01.53"));
        EXPECT_THAT(run.out, HasText("Serial number:  01234"));
        EXPECT_THAT(run.out, HasText("Port speed:     38400 bit/s"));
    }

    QTemporaryDir m_dir;
    QString m_link;
    QString m_slave;
    CChild m_sim;
};
} // namespace

TEST_F(SimPty, ServesByTheLinkAndTheTerminalPathOneClientAfterAnother)
{
    StartSim();
    ExpectInfo(RunCli({"-p", m_link, "info"}));
    ExpectInfo(RunCli({"-p", m_slave, "info"}));
    const CliRun trace = RunCli({"--trace", "-p", m_link, "info"});
    EXPECT_EQ(trace.exitCode, 0);
    EXPECT_TRUE(trace.err.contains("Response \"^RV01.53;\"")) << trace.err.toStdString();
    EXPECT_TRUE(trace.err.contains("Response \"^SN01234;\"")) << trace.err.toStdString();
    const CliRun send = RunCli({"-p", m_link, "send", "^sn;"});
    EXPECT_EQ(send.exitCode, 0) << send.err.toStdString();
    EXPECT_EQ(send.out, "^SN01234;\n");
}

TEST_F(SimPty, PortHeldThroughTheLinkIsAccessDeniedByEitherName)
{
    StartSim();
    CQtEventHost host;
    CSerialPort holder(host, nullptr, nullptr);
    ASSERT_TRUE(holder.Open(m_link, true)) << holder.LastError();
    for (const QString& name : {m_link, m_slave}) {
        const CliRun run = RunCli({"-p", name, "info"});
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 1) << name.toStdString();
        EXPECT_THAT(run.err, HasText("access denied"));
        EXPECT_THAT(run.err, HasText("Error code 0x00000005: "));
    }
    holder.Close();
    // Held by a monitor started after the simulated amplifier: the monitor is named, not the
    // amplifier at the line's far end.
    CChild monitor;
    StartCli(monitor, m_dir, {"-p", m_link, "monitor"});
    ASSERT_TRUE(RunEventsUntil([&] { return monitor.Process().canReadLine(); }, 30000));
    EXPECT_THAT(RunCli({"-p", m_link, "info"}).err,
        HasText(QStringLiteral("is in use by qro4000 (process %1)").arg(monitor.Process().processId())));
    monitor.Stop();
    // Once it lets go, the port is free again.
    ExpectInfo(RunCli({"-p", m_link, "info"}));
}

TEST_F(SimPty, EndsCleanlyOnTerminateOrInterruptAndRemovesItsLink)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        StartSim();
        ASSERT_EQ(::kill(static_cast<pid_t>(m_sim.Process().processId()), signal), 0);
        ASSERT_TRUE(m_sim.Process().waitForFinished(10000));
        EXPECT_EQ(m_sim.Process().exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(m_sim.Process().exitCode(), 0) << signal;
        EXPECT_FALSE(QFileInfo(m_link).isSymLink()) << signal;
        // Nothing else on standard output than the path.
        EXPECT_TRUE(m_sim.Process().readAllStandardOutput().isEmpty()) << signal;
    }
}

TEST_F(SimPty, UnpluggedLeavesNothingToOpen)
{
    const QString slave = StartSimOnPty(m_sim, m_link, {"--unplugged"});
    ASSERT_FALSE(slave.isEmpty());
    // The terminal goes once the device has gone: qro4000-sim says so on standard error.
    m_sim.Process().setReadChannel(QProcess::StandardError);
    QByteArray said;
    while (!(said += m_sim.Process().readAllStandardError()).contains("unplugged")) {
        ASSERT_TRUE(m_sim.Process().waitForReadyRead(10000)) << said.constData();
    }
    const CliRun run = RunCli({"-p", slave, "info"});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasText("Error code 0x00000002: "));
    EXPECT_FALSE(QFileInfo(m_link).isSymLink());
}

TEST_F(SimPty, SaveConfigWithTheAmplifierKilledMidSaveFailsAndKeepsTheEarlierFile)
{
    StartSim({"--pace"}); // paced, the save takes minutes: the kill comes mid-way
    const QString file = m_dir.filePath("amp.QRO4000Config");
    ASSERT_TRUE(WriteWholeFile(file, "earlier"));
    CChild cli;
    StartCli(cli, m_dir, {"-p", m_link, "--yes", "--trace", "save-config", file});
    cli.Process().setReadChannel(QProcess::StandardError);
    QByteArray err;
    while (!(err += cli.Process().readAllStandardError()).contains("Send \"^er")) {
        ASSERT_TRUE(cli.Process().waitForReadyRead(20000)) << err.constData();
    }
    m_sim.Process().kill();
    ASSERT_TRUE(cli.Process().waitForFinished(20000));
    err += cli.Process().readAllStandardError();
    EXPECT_EQ(cli.Process().exitCode(), 1);
    EXPECT_TRUE(err.contains(("Serial port \"" + m_link + "\" has gone away").toUtf8())) << err.constData();
    EXPECT_TRUE(err.contains("Error code 0xE2000070: ")) << err.constData();
    EXPECT_EQ(ReadWholeFile(file), "earlier");
}
