// The real programs over a real pseudo-terminal: qro4000-sim serves the amplifier, qro4000
// talks to it as to a serial port.
#include "CliProcess.h"
#include <QFileInfo>
#include <csignal>

namespace {
class SimPty : public ::testing::Test {
protected:
    void SetUp() override
    {
        EnsureApplication();
        m_link = m_dir.filePath("amp");
    }

    // Starts qro4000-sim and waits for the path it prints.
    void StartSim(const QStringList& extra = {"--baud", "38400"})
    {
        m_slave = StartSimOnPty(m_sim, m_link, extra);
        ASSERT_TRUE(m_slave.startsWith("/dev/")) << "qro4000-sim printed no path: " << m_slave.toStdString();
        ASSERT_EQ(QFileInfo(m_link).symLinkTarget(), m_slave);
    }

    CliRun RunCli(const QStringList& args) { return ::RunCli(m_dir, args); }

    static void ExpectInfo(const CliRun& run)
    {
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_THAT(run.out, HasText("Revision:       01.53"));
        EXPECT_THAT(run.out, HasText("Serial number:  01234"));
        EXPECT_THAT(run.out, HasText("Port speed:     38400 bit/s"));
    }

    QTemporaryDir m_dir;
    QString m_link, m_slave;
    CChild m_sim;
};
} // namespace

// One client after another by either name; while one holds the port, another is told who.
TEST_F(SimPty, ServesByTheLinkAndTheTerminalPathAndNamesTheProgramThatHoldsIt)
{
    StartSim();
    ExpectInfo(RunCli({"-p", m_link, "info"}));
    ExpectInfo(RunCli({"-p", m_slave, "info"}));
    CChild monitor;
    StartCli(monitor, m_dir, {"-p", m_link, "monitor"});
    ASSERT_TRUE(monitor.WaitForOut("\n")) << monitor.err.toStdString();
    for (const QString& name : {m_link, m_slave}) {
        const CliRun run = RunCli({"-p", name, "info"});
        EXPECT_EQ(run.exitCode, 1) << name.toStdString();
        EXPECT_THAT(run.err, HasText("Error code 0x00000005: "));
        EXPECT_THAT(run.err,
            HasText(QStringLiteral("is in use by qro4000 (process %1)").arg(monitor.Process().processId())));
    }
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

TEST_F(SimPty, SaveConfigWithTheAmplifierKilledMidSaveFailsAndKeepsTheEarlierFile)
{
    StartSim({"--baud", "38400", "--pace"}); // paced, the save takes minutes: the kill comes mid-way
    const QString file = m_dir.filePath("amp.QRO4000Config");
    ASSERT_TRUE(WriteWholeFile(file, "earlier"));
    CChild cli;
    StartCli(cli, m_dir, {"-p", m_link, "--yes", "--trace", "save-config", file});
    ASSERT_TRUE(cli.WaitForErr("Send \"^er")) << cli.err.toStdString();
    m_sim.Process().kill();
    const CliRun run = Finish(cli, 20000);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_THAT(run.err, HasText("Serial port \"" + m_link + "\" has gone away"));
    EXPECT_THAT(run.err, HasText("Error code 0xE2000070: "));
    EXPECT_EQ(ReadWholeFile(file), "earlier");
}
