#include "cli/CommandRegistry.h"
#include "cli/OperateReadings.h"
#include "cli/OperateSession.h"
#include "model/ErrorText.h"
#include "model/FileChecks.h"
#include "model/Format.h"
#include "model/ResultCode.h"
#include "model/SaveWhole.h"
#include "model/StringTable.h"
#include "operate/InfluxLine.h"
#include "operate/OperateStringIds.h"
#include "operate/SessionSummary.h"
#include "operate/TelemetryStringIds.h"
#include <QElapsedTimer>
#include <QFile>
#include <optional>

namespace {
constexpr CCliArg kArguments[] = {
    CliArg::Option("--count", "N", "stop after N cycles (default: until Ctrl+C)"),
    CliArg::Option("--interval", "MS", "the poll interval (default: the program's setting)"),
    CliArg::Option("--csv", "FILE", "also append each cycle to FILE as a CSV row"),
    CliArg::Flag("--json", "one JSON object per cycle"),
    CliArg::Flag("--reconnect", "when the port is lost, wait for it to come back and go on (the gap is marked)"),
    CliArg::Option("--influx", "FILE|-",
        "also append each cycle to FILE in InfluxDB line protocol; \"-\" writes it to standard output in place of "
        "the readings"),
    CliArg::Option("--summary-json", "FILE",
        "write the session summary (shown on standard error as the monitor ends) to FILE as JSON"),
};
constexpr unsigned kMaxInterval = 3600000;
// How often a lost port is tried again.
constexpr DWORD kReopenIntervalMs = 1000;

QString Timestamp(const QDateTime& at)
{
    return at.toOffsetFromUtc(at.offsetFromUtc()).toString(Qt::ISODate);
}

// The gap a lost port left, where readings would have been: a text line, a JSON object or a
// CSV row with the time and every reading empty.
QString GapLine(bool json, const QDateTime& lost, const QDateTime& back)
{
    if (json)
        return QStringLiteral("{\"time\":\"%1\",\"gap\":true}").arg(Timestamp(lost));
    return FormatResource(
        IDS_OP_CLI_LINK_GAP, lost.toString(QStringLiteral("HH:mm:ss")), back.toString(QStringLiteral("HH:mm:ss")));
}

QString GapCsvRow(const QDateTime& lost)
{
    return Timestamp(lost) + QString(OperateReadings::CsvHeader().count(QLatin1Char(',')), QLatin1Char(','));
}

// Waits until the port can be opened again; false when Ctrl+C came first.
bool ReopenPort(CCliContext& context, COperateSession& session)
{
    context.Err(FormatResource(IDS_OP_CLI_WAITING_FOR_PORT, context.PortName()));
    while (!context.Interrupted()) {
        if (context.Model().OpenPort(context.PortName(), true))
            return true;
        session.Wait(kReopenIntervalMs);
    }
    return false;
}

int Usage(CCliContext& context)
{
    return CliUsageError(context, "monitor");
}

bool ReadCount(
    CCliContext& context, const QString& name, const QString& text, unsigned low, unsigned high, unsigned* out)
{
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok);
    if (!ok || value < low || value > high) {
        context.Err(FormatResource(IDS_OP_CLI_BAD_NUMBER, name, low, high, EchoText(text)));
        return false;
    }
    *out = static_cast<unsigned>(value);
    return true;
}

// Appends rows to the log; each row is flushed at once, so an interrupted monitor leaves every
// row it printed complete in the file.
class CsvLog {
public:
    bool Open(CCliContext& context, const QString& path)
    {
        QString message;
        if (FileChecks::CheckSaveDestination(path, &message) != 0) {
            context.Err(FormatResource(IDS_OP_CLI_CSV_FAILED, path, message));
            return false;
        }
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::Append)) {
            context.Err(FormatResource(IDS_OP_CLI_CSV_FAILED, path, m_file.errorString()));
            return false;
        }
        return m_file.size() > 0 || Write(context, OperateReadings::CsvHeader());
    }
    bool IsOpen() const { return m_file.isOpen(); }
    bool Write(CCliContext& context, const QString& row)
    {
        const QByteArray bytes = row.toUtf8() + "\r\n";
        if (m_file.write(bytes) != bytes.size() || !m_file.flush()) {
            context.Err(FormatResource(IDS_OP_CLI_CSV_FAILED, m_file.fileName(), m_file.errorString()));
            return false;
        }
        return true;
    }

private:
    QFile m_file;
};

// Where the cycles go besides the usual lines.
struct MonitorOutputs {
    CsvLog csv;
    bool influxOut = false; // line protocol on standard output, in place of the readings
    CInfluxFile influxFile;
    bool influxToFile = false;
    QString influxPath;
    CSessionSummary summary;
};

std::uint64_t Now(CCliContext& context)
{
    return context.Host().MicroTicks() / 1000;
}

// The cycles until --count, Ctrl+C or SIGTERM, or a failure: the exit status.
int Monitor(CCliContext& context, unsigned count, unsigned interval, bool reconnect, MonitorOutputs& outputs)
{
    CModel& model = context.Model();
    CsvLog& csv = outputs.csv;
    COperateSession session(context);
    if (const int opened = session.Open(); opened != ExitSuccess)
        return opened;

    unsigned cycles = 0;
    unsigned failures = 0;
    std::optional<QDateTime> lostAt; // set while a lost port's gap is open
    QElapsedTimer clock;
    while (count == 0 || cycles < count) {
        clock.start();
        const DWORD result = session.RunCycle();
        if (result == Result::Cancelled)
            break;
        ++cycles;
        const QDateTime now = QDateTime::currentDateTime();
        const OperateSnapshot snapshot = OperateSnapshots::Take(model, now, Now(context));
        outputs.summary.Add(snapshot);
        if (result != 0 && !model.IsPortOpen()) {
            // The port itself has gone (unplugged, its server stopped): polling it again cannot
            // work. Without --reconnect that ends the monitor with the port's error.
            if (!reconnect)
                return context.ReportFailure(result);
            if (!lostAt)
                lostAt = now;
            context.Err(FormatResource(IDS_OP_CLI_CYCLE_FAILED, result, GetErrorText(result)));
            if (!ReopenPort(context, session))
                break;
            continue;
        }
        if (result != 0) {
            // The amplifier may come back (switched on again, cable plugged in): keep polling.
            if (!lostAt)
                ++failures;
            context.Err(FormatResource(IDS_OP_CLI_CYCLE_FAILED, result, GetErrorText(result)));
        } else {
            const bool json = context.GetOptions().json;
            if (lostAt) {
                // Line protocol has no gaps: a reader sees one by the missing points.
                if (outputs.influxOut)
                    context.Err(GapLine(false, *lostAt, now));
                else
                    context.Out(GapLine(json, *lostAt, now));
                if (csv.IsOpen() && !csv.Write(context, GapCsvRow(*lostAt)))
                    return ExitFailure;
                lostAt.reset();
            }
            const QString influx = outputs.influxOut || outputs.influxToFile
                ? InfluxLine::Line(snapshot, InfluxLine::AmplifierTags(model.m_serialNumber.m_value))
                : QString();
            if (!outputs.influxOut)
                context.Out(json ? OperateReadings::Json(model, now) : OperateReadings::Line(model, now));
            else if (!influx.isEmpty())
                context.Out(influx);
            if (context.OutputFailed())
                break; // nobody reads on: the program says so as it ends
            if (csv.IsOpen() && !csv.Write(context, OperateReadings::CsvRow(model, now)))
                return ExitFailure;
            QString message;
            if (outputs.influxToFile && !influx.isEmpty() && !outputs.influxFile.Write(influx, &message)) {
                context.Err(FormatResource(IDS_TM_INFLUX_FAILED, outputs.influxPath, message));
                return ExitFailure;
            }
        }
        if (count != 0 && cycles >= count)
            break;
        const qint64 spent = clock.elapsed();
        session.Wait(spent < interval ? static_cast<DWORD>(interval - spent) : 0);
        if (context.Interrupted())
            break;
    }
    // Ctrl+C is how a monitor without --count ends: a clean stop, not a failure.
    if (context.Interrupted()) {
        context.Err(FormatResource(IDS_OP_CLI_STOPPED, cycles));
        return ExitSuccess;
    }
    return failures == 0 ? ExitSuccess : ExitFailure;
}

int RunMonitor(CCliContext& context, const CCliArguments& arguments)
{
    unsigned count = 0;
    unsigned interval = 0;
    const QString csvPath = arguments.Value("--csv");
    const QString influxPath = arguments.Value("--influx");
    const QString summaryPath = arguments.Value("--summary-json");
    const bool reconnect = arguments.Has("--reconnect");
    if (arguments.Has("--count")
        && !ReadCount(context, QStringLiteral("--count"), arguments.Value("--count"), 1, 0x7FFFFFFF, &count))
        return Usage(context);
    if (arguments.Has("--interval")
        && !ReadCount(context, QStringLiteral("--interval"), arguments.Value("--interval"), 0, kMaxInterval, &interval))
        return Usage(context);
    if ((arguments.Has("--csv") && csvPath.isEmpty()) || (arguments.Has("--influx") && influxPath.isEmpty())
        || (arguments.Has("--summary-json") && summaryPath.isEmpty()))
        return Usage(context);
    if (influxPath == QLatin1String("-") && context.GetOptions().json)
        return CliUsageError(context, "monitor", ResourceString(IDS_TM_USAGE_INFLUX_JSON));
    if (interval == 0)
        interval = context.Model().m_operatePollInterval.m_value;

    MonitorOutputs outputs;
    QString message;
    // A summary that could not be saved is known before the session, not after hours of it.
    if (!summaryPath.isEmpty() && FileChecks::CheckSaveDestination(summaryPath, &message) != 0) {
        context.Err(FormatResource(IDS_TM_SUMMARY_FAILED, summaryPath, message));
        return ExitFailure;
    }
    if (!csvPath.isEmpty() && !outputs.csv.Open(context, csvPath))
        return ExitFailure;
    outputs.influxOut = influxPath == QLatin1String("-");
    outputs.influxToFile = !influxPath.isEmpty() && !outputs.influxOut;
    outputs.influxPath = influxPath;
    if (outputs.influxToFile && !outputs.influxFile.Open(influxPath, &message)) {
        context.Err(FormatResource(IDS_TM_INFLUX_FAILED, influxPath, message));
        return ExitFailure;
    }

    // A service manager or a script ends a monitor with SIGTERM: it stops like Ctrl+C and
    // leaves its summary.
    context.InterruptOnTerminate();
    outputs.summary.Start(QDateTime::currentDateTime(), Now(context));
    int status = Monitor(context, count, interval, reconnect, outputs);
    const QDateTime end = QDateTime::currentDateTime();
    const std::uint64_t tick = Now(context);
    outputs.summary.Pause(end, tick);
    context.Err(outputs.summary.Text(tick));
    if (!summaryPath.isEmpty()) {
        if (SaveWhole(summaryPath, outputs.summary.Json(end, tick), &message) != 0) {
            context.Err(FormatResource(IDS_TM_SUMMARY_FAILED, summaryPath, message));
            if (status == ExitSuccess)
                status = ExitFailure;
        }
    }
    return status;
}
} // namespace

QRO_CLI_COMMAND("monitor", kArguments,
    "poll the amplifier's meters and display, one line per cycle (Ctrl+C stops); --csv appends to a log; "
    "--reconnect waits for a lost port and goes on; --influx writes InfluxDB lines; a session summary (peaks, time "
    "on the air, faults) goes to standard error at the end, --summary-json saves it",
    RunMonitor);
