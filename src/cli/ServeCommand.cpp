#include "cli/CliContext.h"
#include "cli/CommandRegistry.h"
#include "model/StringTable.h"
#include "station/LineArbiter.h"
#include "station/ListenAddress.h"
#include "station/ShareServer.h"
#include "station/StationPoll.h"
#include "station/StationServer.h"
#include "station/StationStringIds.h"
#include "station/hamlib/HamlibServer.h"
#include "station/hamlib/HamlibStringIds.h"
#include <QDateTime>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <memory>

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
    // Beyond loopback anyone on the network could reach the amplifier: only on purpose.
    if (options->share && !options->allowGiven && !options->shareAddress.address.isLoopback())
        return FormatResource(IDS_STATION_USAGE_NEEDS_ALLOW, options->shareAddress.address.toString());
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
    if (!serve.allowGiven && !options->address.address.isLoopback())
        return FormatResource(IDS_STATION_USAGE_NEEDS_ALLOW, options->address.address.toString());
    options->on = true;
    return {};
}

int RunServe(CCliContext& context, const CCliArguments& arguments)
{
    ServeOptions options;
    HamlibOptions hamlibOptions;
    QString usageError = ParseServeOptions(arguments, &options);
    if (usageError.isEmpty())
        usageError = ParseHamlibOptions(arguments, options, &hamlibOptions);
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
        if (!poll)
            poll = std::make_unique<CStationPoll>(context.Host(), arbiter, model.m_operatePollInterval.m_value);
        return *poll;
    };
    (void)needPoll;

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

    station.Start();
    if (poll)
        poll->Start();
    QEventLoop loop;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&]() {
        if (g_terminate || context.Interrupted())
            loop.quit();
    });
    watch.start(100);
    loop.exec();

    if (hamlib)
        hamlib->Close();
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
