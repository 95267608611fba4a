#include "cli/CliContext.h"
#include "cli/CommandRegistry.h"
#include "model/StringTable.h"
#include "operate/follow/FollowStringIds.h"
#include "operate/follow/RadioFollowing.h"
#include "operate/InfluxLine.h"
#include "operate/TelemetryStringIds.h"
#include "station/LineArbiter.h"
#include "station/ListenAddress.h"
#include "station/ShareServer.h"
#include "station/StationPoll.h"
#include "station/StationServer.h"
#include "station/StationStringIds.h"
#include "station/hamlib/HamlibServer.h"
#include "station/hamlib/HamlibStringIds.h"
#include "station/mqtt/MqttEndpoint.h"
#include "station/mqtt/MqttStringIds.h"
#include "station/web/WebAccess.h"
#include "station/web/WebServer.h"
#include "station/web/WebStringIds.h"
#include <QDateTime>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <functional>
#include <memory>
#include <optional>

namespace {
constexpr CCliArg kArguments[] = {
    CliArg::Option("--share", "ADDR:PORT",
        "the RFC 2217 sharing endpoint (default 127.0.0.1:4540; \"off\" turns it off). Clients open "
        "rfc2217://ADDR:PORT. RFC 2217 has no authentication: reach a remote station through a VPN or an "
        "SSH tunnel rather than listening on a public address"),
    CliArg::Option("--hamlib", "ADDR:PORT",
        "Hamlib's amplifier protocol (ampctld, port 4531 by convention) for loggers and scripts: readings, the "
        "power switch and the fault reset"),
    CliArg::Flag("--hamlib-raw",
        "let Hamlib clients send raw commands (w / \\send_cmd); commands that cannot be undone are refused always"),
    CliArg::Option("--allow", "CIDR[,CIDR...]",
        "who may connect to every endpoint; needed to listen beyond loopback. Exit status: 0 after SIGINT or "
        "SIGTERM, 1 when an address cannot be bound, 2 for a usage error; an absent amplifier is waited for"),
    CliArg::Option("--influx", "FILE",
        "append each poll cycle's current readings to FILE in InfluxDB line protocol (for Telegraf's tail input "
        "or \"influx write\")"),
    CliArg::Option("--web", "ADDR:PORT",
        "the browser panel (http://ADDR:PORT/). Its token comes from the environment variable QRO4000_WEB_TOKEN "
        "or --token-file; without either one is made and printed with the panel's address"),
    CliArg::Option("--token-file", "FILE", "the browser panel's token: the first line of FILE"),
    CliArg::Option("--watchdog", "SECONDS",
        "switch the amplifier off when the controlling browser has been silent this long while the amplifier "
        "is in operate (default 10; \"off\" disables it)"),
    CliArg::Option("--mqtt", "HOST:PORT",
        "publish the readings to this MQTT broker under PREFIX/SERIAL/NAME, with Home Assistant discovery; "
        "the server keeps running and reconnects when the broker is away"),
    CliArg::Option("--mqtt-user", "NAME",
        "the broker's user name; the password comes from the environment variable QRO4000_MQTT_PASSWORD or "
        "--mqtt-password-file, never from the command line"),
    CliArg::Option("--mqtt-password-file", "FILE", "the broker's password: the file's first line"),
    CliArg::Option("--mqtt-prefix", "PREFIX", "the readings' topic prefix (default qro4000)"),
    CliArg::Option("--mqtt-discovery-prefix", "PREFIX", "Home Assistant's discovery prefix (default homeassistant)"),
    CliArg::Flag("--mqtt-control", "switch the amplifier on or off with \"on\" or \"off\" on PREFIX/SERIAL/power/set"),
    CliArg::Option("--follow-rig", "HOST:PORT",
        "band following: read the radio's frequency and PTT from a Hamlib rigctld every 200 ms and press the "
        "amplifier's band key when the radio changes band (never while transmitting)"),
    CliArg::Option("--follow-udp", "[ADDR:]PORT",
        "band following from the RadioInfo datagrams of a logging program (on 127.0.0.1 unless ADDR is given, "
        "which needs --allow); not together with --follow-rig"),
};

std::atomic<bool> g_terminate {false};

extern "C" void OnTerminate(int)
{
    g_terminate = true;
}

struct ServeOptions {
    bool share = true;
    CListenAddress shareAddress {QHostAddress(QHostAddress::LocalHost), 4540};
    bool allowGiven = false;
    CAllowList allow;
};

// Beyond loopback anyone on the network could reach the amplifier: an endpoint listens there
// only when --allow names who may connect. The usage error, or nothing.
QString NeedsAllow(const ServeOptions& serve, const QHostAddress& address)
{
    if (serve.allowGiven || address.isLoopback())
        return {};
    return FormatResource(IDS_STATION_USAGE_NEEDS_ALLOW, address.toString());
}

struct WebOptions {
    bool web = false;
    CWebServer::Options server;
    bool tokenGenerated = false;
};

// The browser panel's options: an empty answer, or the message of the usage error. The token is
// never a command-line value, where every user of the machine could read it in the process list.
QString ParseWebOptions(const CCliArguments& arguments, const ServeOptions& serve, WebOptions* options)
{
    options->web = arguments.Has("--web");
    for (const char* name : {"--token-file", "--watchdog"})
        if (!options->web && arguments.Has(name))
            return FormatResource(IDS_WEB_USAGE_NEEDS_WEB, QString::fromLatin1(name));
    if (!options->web)
        return {};
    const QString address = arguments.Value("--web");
    if (!ParseListenAddress(address, &options->server.address))
        return FormatResource(IDS_WEB_USAGE_WEB, address);
    if (const QString error = NeedsAllow(serve, options->server.address.address); !error.isEmpty())
        return error;
    options->server.allow = serve.allowGiven ? serve.allow : CAllowList {};
    if (arguments.Has("--watchdog")) {
        const QString value = arguments.Value("--watchdog");
        bool ok = false;
        const unsigned seconds = value.toUInt(&ok);
        if (value == QLatin1String("off"))
            options->server.watchdogMs = 0;
        else if (ok && seconds >= 1 && seconds <= 3600)
            options->server.watchdogMs = seconds * 1000ull;
        else
            return FormatResource(IDS_WEB_USAGE_WATCHDOG, value);
    }
    QString source = QStringLiteral("QRO4000_WEB_TOKEN");
    if (arguments.Has("--token-file")) {
        source = arguments.Value("--token-file");
        QFile file(source);
        if (!file.open(QIODevice::ReadOnly))
            return FormatResource(IDS_WEB_TOKEN_UNREADABLE, source, file.errorString());
        options->server.token = file.readLine(4096).trimmed();
    } else {
        options->server.token = qgetenv("QRO4000_WEB_TOKEN").trimmed();
        if (options->server.token.isEmpty()) {
            options->server.token = WebAccess::GenerateToken();
            options->tokenGenerated = true;
        }
    }
    if (!WebAccess::IsUsableToken(options->server.token))
        return FormatResource(IDS_WEB_TOKEN_WEAK, source);
    return {};
}

// All of serve's options, checked together: an empty answer, or the message of the usage error.
QString ParseServeOptions(const CCliArguments& arguments, ServeOptions* options)
{
    if (arguments.Has("--share")) {
        const QString value = arguments.Value("--share");
        if (value == QLatin1String("off"))
            options->share = false;
        else if (!ParseListenAddress(value, &options->shareAddress))
            return FormatResource(IDS_STATION_USAGE_SHARE, value);
    }
    if (arguments.Has("--allow")) {
        const QString value = arguments.Value("--allow");
        if (!ParseAllowList(value, &options->allow))
            return FormatResource(IDS_STATION_USAGE_ALLOW, value);
        options->allowGiven = true;
    }
    return options->share ? NeedsAllow(*options, options->shareAddress.address) : QString();
}

// --influx FILE: the file, or the message of the usage error.
QString ParseInfluxOption(const CCliArguments& arguments, QString* path)
{
    if (!arguments.Has("--influx"))
        return {};
    *path = arguments.Value("--influx");
    return path->isEmpty() || *path == QLatin1String("-") ? ResourceString(IDS_TM_USAGE_INFLUX_FILE) : QString();
}

// Appends the poll's readings to the file, one line per cycle that read them while in contact;
// a file that cannot be written is said once and left alone after that.
class CInfluxWriter {
public:
    CInfluxWriter(CStationPoll& poll, std::function<void(const QString&)> log)
        : m_poll(poll)
        , m_log(std::move(log))
    {
    }
    ~CInfluxWriter()
    {
        if (m_subscription != 0)
            m_poll.Unsubscribe(m_subscription);
    }
    bool Open(const QString& path)
    {
        m_path = path;
        QString message;
        if (!m_file.Open(path, &message)) {
            m_log(FormatResource(IDS_TM_INFLUX_FAILED, path, message));
            return false;
        }
        m_subscription = m_poll.Subscribe([this]() { CycleEnded(); });
        m_log(FormatResource(IDS_TM_INFLUX_WRITING, path));
        return true;
    }

private:
    void CycleEnded()
    {
        // Told after every cycle and at every change of state: each cycle is written once.
        const OperateSnapshot& readings = m_poll.Readings();
        if (m_failed || !m_poll.Fresh() || readings.at == m_lastAt)
            return;
        m_lastAt = readings.at;
        const QString line = InfluxLine::Line(readings, InfluxLine::AmplifierTags(m_poll.SerialNumber()));
        QString message;
        if (!line.isEmpty() && !m_file.Write(line, &message)) {
            m_log(FormatResource(IDS_TM_INFLUX_FAILED, m_path, message));
            m_failed = true;
        }
    }

    CStationPoll& m_poll;
    std::function<void(const QString&)> m_log;
    QString m_path;
    CInfluxFile m_file;
    int m_subscription = 0;
    QDateTime m_lastAt;
    bool m_failed = false;
};

// The MQTT endpoint's options: an empty answer, or the message of the usage error. `mqtt` stays
// empty without --mqtt.
QString ParseMqttOptions(const CCliArguments& arguments, std::optional<CMqttEndpoint::Options>* mqtt)
{
    if (!arguments.Has("--mqtt")) {
        for (const char* name :
            {"--mqtt-user", "--mqtt-password-file", "--mqtt-prefix", "--mqtt-discovery-prefix", "--mqtt-control"})
            if (arguments.Has(name))
                return FormatResource(IDS_MQTT_USAGE_NEEDS_MQTT, QString::fromLatin1(name));
        return {};
    }
    CMqttEndpoint::Options options;
    const QString address = arguments.Value("--mqtt");
    const qsizetype colon = address.lastIndexOf(QLatin1Char(':'));
    bool portOk = false;
    const uint port = colon > 0 ? address.mid(colon + 1).toUInt(&portOk) : 0;
    QString host = colon > 0 ? address.left(colon) : QString();
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    if (!portOk || port == 0 || port > 65535 || host.isEmpty() || host.contains(QLatin1Char(' ')))
        return FormatResource(IDS_MQTT_USAGE_ADDRESS, address);
    options.broker.host = host;
    options.broker.port = static_cast<quint16>(port);
    for (const auto& [name, prefix] : {std::pair {"--mqtt-prefix", &options.prefix},
             std::pair {"--mqtt-discovery-prefix", &options.discoveryPrefix}}) {
        if (!arguments.Has(name))
            continue;
        *prefix = arguments.Value(name);
        if (!MqttTopics::IsValidPrefix(*prefix))
            return FormatResource(IDS_MQTT_USAGE_PREFIX, QString::fromLatin1(name), *prefix);
    }
    options.broker.user = arguments.Value("--mqtt-user");
    // A password on the command line would show in every process list: only from a file or
    // the environment.
    if (arguments.Has("--mqtt-password-file")) {
        const QString path = arguments.Value("--mqtt-password-file");
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return FormatResource(IDS_MQTT_USAGE_PASSWORD_FILE, path, file.errorString());
        options.broker.password
            = QString::fromUtf8(file.readLine(4096)).remove(QLatin1Char('\n')).remove(QLatin1Char('\r'));
        if (options.broker.user.isEmpty())
            return ResourceString(IDS_MQTT_USAGE_NEEDS_USER);
    } else if (!options.broker.user.isEmpty()) {
        options.broker.password = qEnvironmentVariable("QRO4000_MQTT_PASSWORD");
    }
    options.control = arguments.Has("--mqtt-control");
    *mqtt = options;
    return {};
}

struct HamlibOptions {
    bool on = false;
    bool raw = false;
    CListenAddress address;
};

QString ParseHamlibOptions(const CCliArguments& arguments, const ServeOptions& serve, HamlibOptions* options)
{
    options->raw = arguments.Has("--hamlib-raw");
    if (!arguments.Has("--hamlib"))
        return options->raw ? ResourceString(IDS_HAMLIB_USAGE_RAW) : QString();
    const QString value = arguments.Value("--hamlib");
    if (!ParseListenAddress(value, &options->address))
        return FormatResource(IDS_HAMLIB_USAGE_ADDRESS, value);
    if (const QString error = NeedsAllow(serve, options->address.address); !error.isEmpty())
        return error;
    options->on = true;
    return {};
}

// Band following's source: --follow-rig or --follow-udp, one at a time.
QString ParseFollowOptions(const CCliArguments& arguments, const ServeOptions& serve, FollowSource* source)
{
    const bool rig = arguments.Has("--follow-rig");
    const bool udp = arguments.Has("--follow-udp");
    if (rig && udp)
        return ResourceString(IDS_FOLLOW_USAGE_BOTH);
    if (rig) {
        const QString value = arguments.Value("--follow-rig");
        const auto parsed = FollowSource::Rigctld(value);
        if (!parsed)
            return FormatResource(IDS_FOLLOW_USAGE_RIG, value);
        *source = *parsed;
    }
    if (udp) {
        const QString value = arguments.Value("--follow-udp");
        const auto parsed = FollowSource::Udp(value);
        if (!parsed)
            return FormatResource(IDS_FOLLOW_USAGE_UDP, value);
        if (const QString error = NeedsAllow(serve, parsed->address); !error.isEmpty())
            return error;
        *source = *parsed;
    }
    return {};
}

int RunServe(CCliContext& context, const CCliArguments& arguments)
{
    ServeOptions options;
    QString influxPath;
    WebOptions web;
    QString usageError = ParseServeOptions(arguments, &options);
    if (usageError.isEmpty())
        usageError = ParseInfluxOption(arguments, &influxPath);
    if (usageError.isEmpty())
        usageError = ParseWebOptions(arguments, options, &web);
    std::optional<CMqttEndpoint::Options> mqttOptions;
    if (usageError.isEmpty())
        usageError = ParseMqttOptions(arguments, &mqttOptions);
    HamlibOptions hamlibOptions;
    if (usageError.isEmpty())
        usageError = ParseHamlibOptions(arguments, options, &hamlibOptions);
    FollowSource followSource;
    if (usageError.isEmpty())
        usageError = ParseFollowOptions(arguments, options, &followSource);
    if (!usageError.isEmpty())
        return CliUsageError(context, "serve", usageError);
    const bool verbose = context.GetOptions().verbose;
    const auto log = [&context](const QString& text) {
        context.Err(QDateTime::currentDateTime().toString(Qt::ISODate) + QLatin1Char(' ') + text);
    };
    CModel& model = context.Model();
    // The log says what happens to the link in its own lines; the contact's step-by-step lines
    // and message boxes only when every detail is asked for.
    if (!verbose) {
        model.SetStatusSink(nullptr);
        model.SetUserPrompt(nullptr);
    }

    CLineArbiter arbiter(context.Host());
    arbiter.SetLog(log, verbose);
    std::unique_ptr<CShareServer> share;
    if (options.share) {
        share = std::make_unique<CShareServer>(arbiter, options.allowGiven ? options.allow : CAllowList {}, log);
        if (!share->Listen(options.shareAddress)) {
            log(FormatResource(
                IDS_STATION_CANNOT_LISTEN, FormatListenAddress(options.shareAddress), share->ErrorText()));
            return ExitFailure;
        }
        log(FormatResource(IDS_STATION_SHARING, share->Address()));
        context.Out(QStringLiteral("rfc2217://") + share->Address());
    }

    std::signal(SIGTERM, OnTerminate);
    CStationServer station(model, arbiter, log);
    // The server's own poll: made only when an endpoint reads or operates the amplifier, so
    // that a server that only shares the line adds no traffic to it.
    std::unique_ptr<CStationPoll> poll;
    const auto needPoll = [&]() -> CStationPoll& {
        if (!poll) {
            poll = std::make_unique<CStationPoll>(context.Host(), arbiter, model.m_operatePollInterval.m_value);
            // --trace shows the poll's own conversation too: what every endpoint asked of the
            // amplifier, as it went over the line.
            if (context.GetOptions().trace) {
                poll->Model().m_trace.m_value = 1;
                poll->Model().SetStatusSink(&context);
            }
        }
        return *poll;
    };
    (void)needPoll;
    std::unique_ptr<CInfluxWriter> influx;
    if (!influxPath.isEmpty()) {
        influx = std::make_unique<CInfluxWriter>(needPoll(), log);
        if (!influx->Open(influxPath))
            return ExitFailure;
    }

    // The browser panel: its readings and requests go through the server's own poll.
    std::unique_ptr<CWebServer> webServer;
    if (web.web) {
        webServer = std::make_unique<CWebServer>(context.Host(), needPoll(), web.server, log);
        QString error;
        if (!webServer->Listen(&error)) {
            log(FormatResource(IDS_STATION_CANNOT_LISTEN, FormatListenAddress(web.server.address), error));
            return ExitFailure;
        }
        log(FormatResource(IDS_WEB_LISTENING, webServer->Address()));
        // The made token goes to standard output only, never into the log that others may read.
        const QString url = QStringLiteral("http://") + webServer->Address() + QLatin1Char('/');
        context.Out(web.tokenGenerated ? url + QStringLiteral("?token=") + QString::fromLatin1(web.server.token) : url);
    }

    std::unique_ptr<CHamlibServer> hamlib;
    if (hamlibOptions.on) {
        hamlib = std::make_unique<CHamlibServer>(needPoll(), hamlibOptions.raw ? &arbiter : nullptr,
            options.allowGiven ? options.allow : CAllowList {}, log);
        if (!hamlib->Listen(hamlibOptions.address)) {
            log(FormatResource(
                IDS_STATION_CANNOT_LISTEN, FormatListenAddress(hamlibOptions.address), hamlib->ErrorText()));
            return ExitFailure;
        }
        log(FormatResource(IDS_HAMLIB_LISTENING, hamlib->Address()));
    }

    // Band following: the radio's band changes press the amplifier's band key through the poll.
    std::unique_ptr<CRadioFollowing> following;
    if (followSource.kind != FollowSource::Kind::Off) {
        CStationPoll& followPoll = needPoll();
        const auto admit = [&options](const QHostAddress& peer) {
            return !options.allowGiven || IsAllowed(options.allow, peer);
        };
        following = std::make_unique<CRadioFollowing>(
            followSource,
            [&followPoll](int band, std::function<void(DWORD)> done) { followPoll.SelectBand(band, std::move(done)); },
            [&followPoll] { followPoll.WithdrawBand(); },
            [log](const QString& text) { log(FormatResource(IDS_FOLLOW_FOLLOWING, text)); }, admit);
        followPoll.Subscribe([&followPoll, &following] {
            if (following)
                following->Amplifier(followPoll.Readings(), followPoll.Fresh());
        });
    }

    std::unique_ptr<CMqttEndpoint> mqtt;
    if (mqttOptions)
        mqtt = std::make_unique<CMqttEndpoint>(context.Host(), needPoll(), *mqttOptions, log);

    // A source that cannot be opened (its UDP port taken) ends the server before it starts.
    if (following) {
        QString error;
        if (!following->Start(&error)) {
            log(error);
            return ExitFailure;
        }
    }

    station.Start();
    if (poll)
        poll->Start();
    if (mqtt)
        mqtt->Start();
    if (webServer)
        webServer->Start();
    QEventLoop loop;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&]() {
        if (g_terminate || context.Interrupted())
            loop.quit();
    });
    watch.start(100);
    loop.exec();

    following.reset();
    if (webServer)
        webServer->Close();
    if (hamlib)
        hamlib->Close();
    if (mqtt)
        mqtt->Stop();
    if (poll)
        poll->Stop();
    if (share)
        share->Close();
    station.Stop();
    log(FormatResource(IDS_STATION_STOPPED, context.PortName()));
    return ExitSuccess;
}
} // namespace

QRO_CLI_COMMAND("serve", kArguments,
    "hold the amplifier's port and share it with every program over RFC 2217 (serve --help: the options)", RunServe);
