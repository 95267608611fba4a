// The operate commands of qro4000 as a user runs them, on the built-in simulated amplifier.
#include "CliProcess.h"
#include <QFile>
#include <csignal>
#include <gtest/gtest.h>

using OperateCli = CliTest;

TEST_F(OperateCli, MonitorPrintsOneLinePerCycleAndAppendsToTheLog)
{
    const QString log = m_dir.filePath(QStringLiteral("log.csv"));
    for (int run = 0; run < 2; ++run) {
        const CliRun monitor = Run({"-p", "SIM", "monitor", "--count", "5", "--interval", "100", "--csv", log});
        ASSERT_TRUE(monitor.finished);
        ASSERT_EQ(monitor.exitCode, 0) << monitor.err.toStdString();
        const QStringList lines = monitor.out.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 5) << monitor.out.toStdString();
        EXPECT_TRUE(lines[0].contains(QString("\"OPER 14.200 ANT1")));
        EXPECT_TRUE(lines[0].contains(QString("BAND 14 MHz  ANT 1  OPER  FAULT 00  OVR 00")));
    }
    const QList<QByteArray> rows = ReadWholeFile(log).split('\n');
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
    StartCli(cli, m_dir, {"-p", "SIM", "monitor", "--csv", log}, {"QRO4000_SIM=baud=38400,pace=0"});
    ASSERT_TRUE(cli.Process().waitForStarted(10000));
    QByteArray out;
    while (out.count('\n') < 3 && cli.Process().waitForReadyRead(10000))
        out += cli.Process().readAllStandardOutput();
    ::kill(static_cast<pid_t>(cli.Process().processId()), SIGINT);
    ASSERT_TRUE(cli.Process().waitForFinished(10000));
    EXPECT_EQ(cli.Process().exitCode(), 0);
    EXPECT_TRUE(cli.Process().readAllStandardError().contains("Stopped after "));
    const QByteArray rows = ReadWholeFile(log);
    EXPECT_TRUE(rows.endsWith("\r\n"));
    EXPECT_GE(rows.count('\n'), 4);
}
