// The monitor's telemetry as a user runs it on the built-in simulated amplifier: the session
// summary on standard error and in its JSON file however the monitor ends, and InfluxDB lines
// in place of the readings.
#include "CliProcess.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>

using TelemetryCli = CliTest;

namespace {
QJsonObject ReadSummary(const QString& path)
{
    return QJsonDocument::fromJson(ReadWholeFile(path)).object();
}
} // namespace

TEST_F(TelemetryCli, MonitorLeavesItsSummaryAndKeepsOneReadingPerLine)
{
    const QString file = Path(QStringLiteral("s.json"));
    // The amplifier has tripped with HIGH SWR (0x91 = 145) and stays so.
    const CliRun run
        = Run({"-p", "SIM", "monitor", "--count", "4", "--interval", "100", "--summary-json", file}, ",amp-fault=145");
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.count(QLatin1String("FAULT 91  OVR 00\n")), 4) << run.out.toStdString();
    EXPECT_EQ(run.out.count('\n'), 4); // the summary stays off standard output
    EXPECT_TRUE(run.err.contains(QLatin1String("Session summary\n  Duration: 0:00:0")));
    EXPECT_TRUE(run.err.contains(QLatin1String("HIGH SWR (FAULT 91)"))) << run.err.toStdString();

    // The summary's figures are SessionSummary's; here the file of this run is written.
    const QJsonObject summary = ReadSummary(file);
    EXPECT_EQ(summary["poll_cycles"].toInt(), 4);
    EXPECT_EQ(summary["faults"].toArray().size(), 1);

    // Line protocol in place of the readings: nothing else on standard output.
    const CliRun influx = Run({"-p", "SIM", "monitor", "--count", "3", "--interval", "100", "--influx", "-"});
    ASSERT_EQ(influx.exitCode, 0) << influx.err.toStdString();
    const QRegularExpression point(QStringLiteral(R"(^qro4000,serial=1234 forward_w=\d+i,.*,display="[^"]*" \d{19}$)"));
    const QStringList points = influx.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(points.size(), 3) << influx.out.toStdString();
    for (const QString& line : points)
        EXPECT_TRUE(point.match(line).hasMatch()) << line.toStdString();
    EXPECT_TRUE(influx.err.contains(QLatin1String("Session summary")));
}

TEST_F(TelemetryCli, ServeWritesOneLinePerPollCycle)
{
    const QString file = Path(QStringLiteral("points.txt"));
    CChild cli;
    StartCli(cli, m_dir, {"-p", "SIM", "serve", "--share", "off", "--influx", file}, {"QRO4000_SIM=pace=0"});
    for (int i = 0; i < 400 && ReadWholeFile(file).count('\n') < 4; ++i)
        QThread::msleep(50);
    cli.Stop(); // SIGTERM
    EXPECT_EQ(cli.Process().exitCode(), 0);
    const QStringList lines = QString::fromUtf8(ReadWholeFile(file)).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 4);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].startsWith(QLatin1String("qro4000,serial=1234 forward_w="))) << lines[i].toStdString();
        EXPECT_GT(lines[i].section(' ', -1).toLongLong(), lines[i - 1].section(' ', -1).toLongLong());
    }
}

TEST_F(TelemetryCli, SummaryIsWrittenWhenSigtermOrALostPortEndsTheMonitor)
{
    struct Case {
        const char* name;
        QString simOptions;
        bool terminate;
        int exitCode;
    } cases[] = {
        {"SIGTERM", QStringLiteral("QRO4000_SIM=baud=38400,pace=0"), true, 0},
        {"port lost", QStringLiteral("QRO4000_SIM=baud=38400,pace=0,unplug-after=1500"), false, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QString file = Path(QStringLiteral("%1.json").arg(QLatin1String(c.name)));
        CChild cli;
        StartCli(cli, m_dir, {"-p", "SIM", "monitor", "--interval", "100", "--summary-json", file}, {c.simOptions});
        ASSERT_TRUE(cli.Process().waitForStarted(10000));
        QByteArray out;
        while (out.count('\n') < 2 && cli.Process().waitForReadyRead(10000))
            out += cli.Process().readAllStandardOutput();
        if (c.terminate)
            ::kill(static_cast<pid_t>(cli.Process().processId()), SIGTERM);
        ASSERT_TRUE(cli.Process().waitForFinished(20000));
        EXPECT_EQ(cli.Process().exitCode(), c.exitCode);
        EXPECT_TRUE(cli.Process().readAllStandardError().contains("Session summary\n"));
        const QJsonObject summary = ReadSummary(file);
        // The port may go before two cycles on a loaded machine: the summary is written all the same.
        EXPECT_GE(summary["poll_cycles"].toInt(), c.terminate ? 2 : 0) << ReadWholeFile(file).toStdString();
        EXPECT_TRUE(summary.contains("duration_s")) << ReadWholeFile(file).toStdString();
    }
}
