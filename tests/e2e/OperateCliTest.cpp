// The operate commands of qro4000 as a user runs them, on the built-in simulated amplifier.
#include "CliProcess.h"
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>

namespace {
const QString kFastSim = QStringLiteral("QRO4000_SIM=baud=38400,pace=0");

class OperateCli : public ::testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }
    CliRun Run(const QStringList& args, const QString& sim = kFastSim) { return RunCli(m_dir, args, {sim}); }
    QTemporaryDir m_dir;
};
} // namespace

TEST_F(OperateCli, MonitorPrintsOneLinePerCycleAndAppendsToTheLog)
{
    const QString log = m_dir.filePath(QStringLiteral("log.csv"));
    for (int run = 0; run < 2; ++run) {
        const CliRun monitor = Run({"-p", "SIM", "monitor", "--count", "5", "--interval", "100", "--csv", log});
        ASSERT_TRUE(monitor.finished);
        ASSERT_EQ(monitor.exitCode, 0) << monitor.err.toStdString();
        const QStringList lines = monitor.out.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 5) << monitor.out.toStdString();
        EXPECT_TRUE(lines[0].contains(QLatin1String("\"OPER 14.200 ANT1")));
        EXPECT_TRUE(lines[0].contains(QLatin1String("BAND 14 MHz  ANT 1  OPER  FAULT 00  OVR 00")));
    }
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> rows = file.readAll().split('\n');
    ASSERT_EQ(rows.size(), 1 + 10 + 1); // one header for the two runs, and the end of the last row
    EXPECT_EQ(rows[0],
        "time,display,forward_w,reflected_w,input_w,swr,swr_bypass,pa_current_a,pa_voltage_v,"
        "temperature_c,band_mhz,frequency_khz,antenna,operate,power,fault,overdrive\r");
    const QList<QByteArray> fields = rows[1].split(',');
    ASSERT_EQ(fields.size(), 17) << rows[1].toStdString();
    EXPECT_TRUE(QDateTime::fromString(QString::fromLatin1(fields[0]), Qt::ISODate).isValid());
    EXPECT_EQ(fields[10], "14");
    EXPECT_EQ(fields[11], "14200");
}

TEST_F(OperateCli, CtrlCEndsTheMonitorWithItsLogComplete)
{
    const QString log = m_dir.filePath(QStringLiteral("log.csv"));
    CChild cli;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("HOME"), m_dir.path());
    e.insert(QStringLiteral("XDG_CONFIG_HOME"), m_dir.filePath(QStringLiteral("config")));
    e.insert(QStringLiteral("QRO4000_SIM"), QStringLiteral("baud=38400,pace=0"));
    cli.Process().setProcessEnvironment(e);
    cli.Process().start(QStringLiteral(QRO_CLI_PATH), {"-p", "SIM", "monitor", "--csv", log});
    ASSERT_TRUE(cli.Process().waitForStarted(10000));
    QByteArray out;
    while (out.count('\n') < 3 && cli.Process().waitForReadyRead(10000))
        out += cli.Process().readAllStandardOutput();
    ::kill(static_cast<pid_t>(cli.Process().processId()), SIGINT);
    ASSERT_TRUE(cli.Process().waitForFinished(10000));
    EXPECT_EQ(cli.Process().exitCode(), 0);
    EXPECT_TRUE(cli.Process().readAllStandardError().contains("Stopped after "));
    QFile file(log);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray rows = file.readAll();
    EXPECT_TRUE(rows.endsWith("\r\n"));
    EXPECT_GE(rows.count('\n'), 4);
}

TEST_F(OperateCli, MonitorAsJsonAndAnAmplifierSwitchedOff)
{
    const CliRun monitor = Run(
        {"-p", "SIM", "--json", "monitor", "--count", "1"}, QStringLiteral("QRO4000_SIM=baud=38400,pace=0,power-off"));
    ASSERT_EQ(monitor.exitCode, 0) << monitor.err.toStdString();
    EXPECT_TRUE(monitor.out.startsWith(QLatin1String("{\"power\":false,\"time\":\""))) << monitor.out.toStdString();
}

TEST_F(OperateCli, BandIsSelectedAndReadBack)
{
    const CliRun band = Run({"-p", "SIM", "band", "7"});
    ASSERT_EQ(band.exitCode, 0) << band.err.toStdString();
    EXPECT_TRUE(band.out.contains(QLatin1String("BAND 7 MHz"))) << band.out.toStdString();
    const CliRun same = Run({"-p", "SIM", "band", "14"});
    ASSERT_EQ(same.exitCode, 0) << same.err.toStdString();
    EXPECT_TRUE(same.out.contains(QLatin1String("BAND 14 MHz")));
}

TEST_F(OperateCli, Band28IsRefusedWithTheReason)
{
    const CliRun band = Run({"-p", "SIM", "band", "28"});
    EXPECT_EQ(band.exitCode, 1);
    EXPECT_TRUE(band.err.contains(QLatin1String("does not know the amplifier's key for the 28 MHz band")));
    EXPECT_TRUE(band.err.contains(QLatin1String("Error code 0xE200008A")));
}

TEST_F(OperateCli, PowerOnSwitchesOnAnAmplifierThatWasOff)
{
    const CliRun power = Run({"-p", "SIM", "power", "on"}, QStringLiteral("QRO4000_SIM=baud=38400,pace=0,power-off"));
    ASSERT_EQ(power.exitCode, 0) << power.err.toStdString();
    EXPECT_TRUE(power.out.contains(QLatin1String("FWD "))) << power.out.toStdString();
    const CliRun band = Run({"-p", "SIM", "press", "mode"}, QStringLiteral("QRO4000_SIM=baud=38400,pace=0,power-off"));
    EXPECT_EQ(band.exitCode, 1);
    EXPECT_TRUE(band.err.contains(QLatin1String("Error code 0xE2000088"))) << band.err.toStdString();
}

TEST_F(OperateCli, RelaysAreSetNearestBelowTheValues)
{
    const CliRun relays = Run({"-p", "SIM", "relays", "--cap", "2000", "--ind", "1000"});
    ASSERT_EQ(relays.exitCode, 0) << relays.err.toStdString();
    EXPECT_TRUE(relays.out.contains(QLatin1String("Capacitors 0xBD (1999 pF)  Inductors 0x10 (1000 nH)")))
        << relays.out.toStdString();
}
