// The real programs over a real pseudo-terminal: qro4000-sim serves the amplifier, qro4000
// talks to it as to a serial port.
#include "CliProcess.h"
#include "link/QtEventHost.h"
#include "link/SerialPort.h"
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSerialPort>
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
        m_link = m_dir.filePath(QStringLiteral("amp"));
    }

    // Starts qro4000-sim and waits for the path it prints.
    void StartSim(const QStringList& extra = {})
    {
        QStringList args {QStringLiteral("--baud"), QStringLiteral("38400"), QStringLiteral("--link"), m_link};
        args += extra;
        m_sim.Process().start(QStringLiteral(QRO_SIM_PATH), args);
        ASSERT_TRUE(m_sim.Process().waitForStarted(10000));
        while (!m_sim.Process().canReadLine()) {
            ASSERT_TRUE(m_sim.Process().waitForReadyRead(10000)) << "qro4000-sim printed no path";
        }
        m_slave = QString::fromLocal8Bit(m_sim.Process().readLine()).trimmed();
        ASSERT_TRUE(m_slave.startsWith(QLatin1String("/dev/"))) << m_slave.toStdString();
        ASSERT_TRUE(QFileInfo(m_link).isSymLink());
        ASSERT_EQ(QFileInfo(m_link).symLinkTarget(), m_slave);
    }

    CliRun RunCli(const QStringList& args, const QStringList& env = {}) { return ::RunCli(m_dir, args, env); }

    static void ExpectInfo(const CliRun& run)
    {
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(QLatin1String("Revision:       01.53"))) << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(QLatin1String("Serial number:  01234"))) << run.out.toStdString();
        EXPECT_TRUE(run.out.contains(QLatin1String("Port speed:     38400 bit/s"))) << run.out.toStdString();
    }

    QTemporaryDir m_dir;
    QString m_link;
    QString m_slave;
    CChild m_sim;
};
} // namespace

TEST_F(SimPty, InfoThroughTheLink)
{
    StartSim();
    ExpectInfo(RunCli({QStringLiteral("-p"), m_link, QStringLiteral("info")}));
}

TEST_F(SimPty, InfoThroughTheTerminalPath)
{
    StartSim();
    ExpectInfo(RunCli({QStringLiteral("-p"), m_slave, QStringLiteral("info")}));
}

TEST_F(SimPty, ServesAgainAfterTheClientClosesThePort)
{
    StartSim();
    ExpectInfo(RunCli({QStringLiteral("-p"), m_link, QStringLiteral("info")}));
    ExpectInfo(RunCli({QStringLiteral("-p"), m_link, QStringLiteral("info")}));
}

TEST_F(SimPty, SimOptionsReachTheDevice)
{
    StartSim({QStringLiteral("--serial"), QStringLiteral("321"), QStringLiteral("--revision"), QStringLiteral("160")});
    const CliRun run = RunCli({QStringLiteral("-p"), m_link, QStringLiteral("info")});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.contains(QLatin1String("Revision:       01.60"))) << run.out.toStdString();
    EXPECT_TRUE(run.out.contains(QLatin1String("Serial number:  00321"))) << run.out.toStdString();
}

TEST_F(SimPty, TraceShowsTheWire)
{
    StartSim();
    const CliRun run = RunCli({QStringLiteral("--trace"), QStringLiteral("-p"), m_link, QStringLiteral("info")});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.err.contains(QLatin1String("Response \"^RV01.53;\""))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QLatin1String("Response \"^SN01234;\""))) << run.err.toStdString();
}

TEST_F(SimPty, MissingPortFailsWithItsErrorCode)
{
    const CliRun run = RunCli({QStringLiteral("-p"), QStringLiteral("/nonexistent/port"), QStringLiteral("info")});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(
        QRegularExpression(QStringLiteral("^Error code 0x00000002: .+$"), QRegularExpression::MultilineOption)))
        << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
}

TEST_F(SimPty, PortHeldByAnotherProgramIsAccessDenied)
{
    StartSim();
    // Another program has the terminal open, by its own path.
    QSerialPort holder;
    holder.setPortName(m_slave);
    ASSERT_TRUE(holder.open(QIODevice::ReadWrite)) << holder.errorString().toStdString();
    const CliRun run = RunCli({QStringLiteral("-p"), m_link, QStringLiteral("info")});
    holder.close();
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QLatin1String("access denied"))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QLatin1String("Error code 0x00000005: "))) << run.err.toStdString();
}

TEST_F(SimPty, PortHeldThroughTheLinkIsAccessDeniedByEitherName)
{
    StartSim();
    CQtEventHost host;
    CSerialPort holder(host, nullptr, nullptr);
    ASSERT_TRUE(holder.Open(m_link, true)) << holder.LastError();
    for (const QString& name : {m_link, m_slave}) {
        const CliRun run = RunCli({QStringLiteral("-p"), name, QStringLiteral("info")});
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.exitCode, 1) << name.toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String("access denied"))) << run.err.toStdString();
    }
    holder.Close();
    // Once it lets go, the port is free again.
    ExpectInfo(RunCli({QStringLiteral("-p"), m_link, QStringLiteral("info")}));
}

TEST_F(SimPty, EndsCleanlyOnTerminateAndRemovesItsLink)
{
    StartSim();
    m_sim.Process().terminate();
    ASSERT_TRUE(m_sim.Process().waitForFinished(10000));
    EXPECT_EQ(m_sim.Process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_sim.Process().exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(m_link));
    EXPECT_FALSE(QFileInfo(m_link).isSymLink());
    // Nothing else on standard output than the path.
    EXPECT_TRUE(m_sim.Process().readAllStandardOutput().isEmpty());
}

TEST_F(SimPty, EndsCleanlyOnInterrupt)
{
    StartSim();
    ASSERT_EQ(::kill(static_cast<pid_t>(m_sim.Process().processId()), SIGINT), 0);
    ASSERT_TRUE(m_sim.Process().waitForFinished(10000));
    EXPECT_EQ(m_sim.Process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_sim.Process().exitCode(), 0);
    EXPECT_FALSE(QFileInfo(m_link).isSymLink());
}

TEST_F(SimPty, UnpluggedLeavesNothingToOpen)
{
    m_sim.Process().start(
        QStringLiteral(QRO_SIM_PATH), {QStringLiteral("--unplugged"), QStringLiteral("--link"), m_link});
    ASSERT_TRUE(m_sim.Process().waitForStarted(10000));
    while (!m_sim.Process().canReadLine()) {
        ASSERT_TRUE(m_sim.Process().waitForReadyRead(10000));
    }
    const QString slave = QString::fromLocal8Bit(m_sim.Process().readLine()).trimmed();
    // The terminal goes once the device has gone: qro4000-sim says so on standard error.
    m_sim.Process().setReadChannel(QProcess::StandardError);
    QByteArray said;
    while (!(said += m_sim.Process().readAllStandardError()).contains("unplugged")) {
        ASSERT_TRUE(m_sim.Process().waitForReadyRead(10000)) << said.constData();
    }
    const CliRun run = RunCli({QStringLiteral("-p"), slave, QStringLiteral("info")});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QLatin1String("Error code 0x00000002: "))) << run.err.toStdString();
    EXPECT_FALSE(QFileInfo(m_link).isSymLink());
}

TEST_F(SimPty, VanishingWhileInUseFailsTheProgramWithoutHanging)
{
    StartSim({QStringLiteral("--unplug-after"), QStringLiteral("700")});
    const CliRun run = RunCli({QStringLiteral("-p"), m_link, QStringLiteral("info")});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(
        QRegularExpression(QStringLiteral("^Error code 0x[0-9A-F]{8}: .+$"), QRegularExpression::MultilineOption)))
        << run.err.toStdString();
}

TEST_F(SimPty, SaveConfigWithTheAmplifierKilledMidSaveFailsAndKeepsTheEarlierFile)
{
    StartSim({QStringLiteral("--pace")}); // paced, the save takes minutes: the kill comes mid-way
    const QString file = m_dir.filePath(QStringLiteral("amp.QRO4000Config"));
    QFile earlier(file);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
    earlier.close();
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
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), "earlier");
}

TEST_F(SimPty, BadOptionIsAUsageError)
{
    CChild sim;
    sim.Process().start(QStringLiteral(QRO_SIM_PATH), {QStringLiteral("--baud"), QStringLiteral("14400")});
    ASSERT_TRUE(sim.Process().waitForFinished(10000));
    EXPECT_EQ(sim.Process().exitCode(), 2);
    EXPECT_TRUE(QString::fromUtf8(sim.Process().readAllStandardError()).contains(QLatin1String("baud")));
}

TEST_F(SimPty, BuiltInSimulatorNeedsNoTerminal)
{
    const CliRun run = RunCli({QStringLiteral("-p"), QStringLiteral("SIM"), QStringLiteral("info")},
        {QStringLiteral("QRO4000_SIM=baud=38400")});
    ExpectInfo(run);
}

TEST_F(SimPty, SilentAmplifierGivesUpAfterTheContactTimeOut)
{
    StartSim({QStringLiteral("--silent")});
    const CliRun run = RunCli({QStringLiteral("-p"), m_link, QStringLiteral("--timeout"), QStringLiteral("2"), QStringLiteral("info")});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(QLatin1String("QRO4000 is not responding"))) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains(QLatin1String("Error code 0xE2000049: No response to semicolon poll"))) << run.err.toStdString();
    EXPECT_TRUE(run.out.isEmpty());
}

TEST_F(SimPty, SendWritesTheTextUnchangedAndPrintsTheAnswer)
{
    StartSim();
    const CliRun run = RunCli({QStringLiteral("-p"), m_link, QStringLiteral("send"), QStringLiteral("^sn;")});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, QStringLiteral("^SN01234;\n"));
}
