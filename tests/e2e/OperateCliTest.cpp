// The operate commands of qro4000 as a user runs them, on the built-in simulated amplifier: the
// monitor's lines, CSV log, session summary and InfluxDB lines however it ends, and the
// station server's InfluxDB lines.
#include "CliProcess.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <csignal>

using OperateCli = CliTest;

namespace {
QJsonObject ReadJson(const QString& path)
{
    return QJsonDocument::fromJson(ReadWholeFile(path)).object();
}
} // namespace

TEST_F(OperateCli, MonitorPrintsOneLinePerCycleAndAppendsToTheLogAndLeavesItsSummary)
{
    const QString log = Path("log.csv"), summary = Path("s.json");
    for (int run = 0; run < 2; ++run) {
        // The amplifier has tripped with HIGH SWR (0x91 = 145) and stays so.
        const CliRun monitor = Run(
            {"-p", "SIM", "monitor", "--count", "4", "--interval", "100", "--csv", log, "--summary-json", summary},
            ",amp-fault=145");
        ASSERT_EQ(monitor.exitCode, 0) << monitor.err.toStdString();
        const QStringList lines = monitor.out.split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), 4) << monitor.out.toStdString(); // the summary stays off standard output
        EXPECT_TRUE(lines[0].contains(QString("\"OPER 14.200 ANT1")));
        EXPECT_TRUE(lines[3].contains(QString("BAND 14 MHz  ANT 1  STBY  FAULT 91  OVR 00")));
        EXPECT_THAT(monitor.err, HasText("Session summary\n  Duration: 0:00:0"));
        EXPECT_THAT(monitor.err, HasText("HIGH SWR (FAULT 91)"));
    }
    const QList<QByteArray> rows = ReadWholeFile(log).split('\n');
    ASSERT_EQ(rows.size(), 1 + 8 + 1); // one header for the two runs, and the end of the last row
    EXPECT_EQ(rows[0],
        "time,display,forward_w,reflected_w,input_w,swr,swr_bypass,pa_current_a,pa_voltage_v,"
        "temperature_c,band_mhz,frequency_khz,antenna,operate,power,fault,overdrive\r");
    const QList<QByteArray> fields = rows[1].split(',');
    ASSERT_EQ(fields.size(), 17) << rows[1].toStdString();
    EXPECT_TRUE(QDateTime::fromString(QString::fromLatin1(fields[0]), Qt::ISODate).isValid());
    EXPECT_EQ(fields[10], "14");
    EXPECT_EQ(fields[11], "14200");
    // The summary's figures are SessionSummary's; here the file of the last run is written.
    EXPECT_EQ(ReadJson(summary)["poll_cycles"].toInt(), 4);
    EXPECT_EQ(ReadJson(summary)["faults"].toArray().size(), 1);

    // Line protocol in place of the readings: nothing else on standard output.
    const CliRun influx = Run({"-p", "SIM", "monitor", "--count", "3", "--interval", "100", "--influx", "-"});
    ASSERT_EQ(influx.exitCode, 0) << influx.err.toStdString();
    const QRegularExpression point(QStringLiteral(R"(^qro4000,serial=1234 forward_w=\d+i,.*,display="[^"]*" \d{19}$)"));
    const QStringList points = influx.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(points.size(), 3) << influx.out.toStdString();
    for (const QString& line : points)
        EXPECT_TRUE(point.match(line).hasMatch()) << line.toStdString();
}

// However it ends, the monitor's log and summary are complete: Ctrl+C and SIGTERM stop it well,
// a lost port with its error, once (never polling on a port that has gone).
TEST_F(OperateCli, MonitorEndsWithItsLogAndSummaryComplete)
{
    const struct {
        const char* name;
        int signal;
        const char* sim;
        int exitCode;
        const char* says;
    } rows[] = {
        {"ctrl-c", SIGINT, "", 0, "Stopped after "},
        {"sigterm", SIGTERM, "", 0, "Stopped after "},
        {"lost", 0, ",unplug-after=1500", 1, "has gone away"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        const QString log = Path(QString(r.name) + ".csv"), summary = Path(QString(r.name) + ".json");
        CChild cli;
        Start(cli, {"-p", "SIM", "monitor", "--interval", "100", "--csv", log, "--summary-json", summary}, r.sim);
        cli.WaitForOut("\n", 3, 10000);
        if (r.signal)
            ::kill(static_cast<pid_t>(cli.Process().processId()), r.signal);
        const CliRun run = Finish(cli, 60000);
        EXPECT_EQ(run.exitCode, r.exitCode) << run.err.toStdString();
        EXPECT_THAT(run.err, HasText(r.says));
        EXPECT_THAT(run.err, HasText("Session summary\n"));
        EXPECT_LE(run.err.count("Poll cycle failed"), 1) << run.err.toStdString();
        EXPECT_TRUE(ReadWholeFile(log).endsWith("\r\n"));
        // The port may go before two cycles on a loaded machine: the summary is written all the same.
        EXPECT_GE(ReadJson(summary)["poll_cycles"].toInt(), r.signal ? 3 : 0) << ReadWholeFile(summary).toStdString();
        EXPECT_TRUE(ReadJson(summary).contains("duration_s")) << ReadWholeFile(summary).toStdString();
    }
}

TEST_F(OperateCli, ServeWritesOneInfluxLinePerPollCycle)
{
    const QString file = Path(QStringLiteral("points.txt"));
    CChild cli;
    Start(cli, {"-p", "SIM", "serve", "--share", "off", "--influx", file});
    RunEventsUntil([&] { return ReadWholeFile(file).count('\n') >= 4; }, 20000, 50);
    cli.Stop(); // SIGTERM
    EXPECT_EQ(cli.Process().exitCode(), 0);
    const QStringList lines = QString::fromUtf8(ReadWholeFile(file)).split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 4);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].startsWith(QLatin1String("qro4000,serial=1234 forward_w="))) << lines[i].toStdString();
        EXPECT_GT(lines[i].section(' ', -1).toLongLong(), lines[i - 1].section(' ', -1).toLongLong());
    }
}
