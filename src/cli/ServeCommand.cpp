#include "cli/CliContext.h"
#include "cli/CommandRegistry.h"
#include "model/StringTable.h"
#include "station/LineArbiter.h"
#include "station/ListenAddress.h"
#include "station/ShareServer.h"
#include "station/StationServer.h"
#include "station/StationStringIds.h"
#include <QDateTime>
#include <QEventLoop>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <memory>

namespace {
constexpr char kUsage[] = "serve [--share ADDR:PORT|off] [--allow CIDR[,CIDR...]] [--verbose]";
constexpr char kOptions[]
    = "Holds the amplifier's port and shares it: every program reaches the amplifier through the\n"
      "server, one command at a time, each answer to the program that asked.\n"
      "\n"
      "Options:\n"
      "  --share ADDR:PORT        RFC 2217 sharing endpoint (default 127.0.0.1:4540); \"off\" turns it off\n"
      "  --allow CIDR[,CIDR...]   who may connect (every endpoint); needed to listen beyond loopback\n"
      "  --verbose                log every command and its answer\n"
      "\n"
      "Clients open the port rfc2217://ADDR:PORT. RFC 2217 has no authentication: reach a remote\n"
      "station through a VPN or an SSH tunnel rather than listening on a public address.\n"
      "Exit status: 0 after SIGINT or SIGTERM (clients closed, port released), 1 when an address\n"
      "cannot be bound, 2 for a usage error. An amplifier that is absent or goes away is waited for.\n";

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
    bool help = false;
};

// "--name VALUE" or "--name=VALUE"; false when `arguments[i]` is not this option.
bool TakeValue(const QStringList& arguments, int& i, const QString& name, QString* value, bool* missing)
{
    const QString& a = arguments[i];
    if (a.startsWith(name + QLatin1Char('='))) {
        *value = a.mid(name.size() + 1);
        return true;
    }
    if (a != name)
        return false;
    *missing = i + 1 >= arguments.size();
    if (!*missing)
        *value = arguments[++i];
    return true;
}

// All of serve's options, checked together: an empty answer, or the message of the usage error.
QString ParseServeOptions(const QStringList& arguments, ServeOptions* options)
{
    for (int i = 0; i < arguments.size(); ++i) {
        QString value;
        bool missing = false;
        if (arguments[i] == QLatin1String("--help") || arguments[i] == QLatin1String("-h")) {
            options->help = true;
        } else if (TakeValue(arguments, i, QStringLiteral("--share"), &value, &missing)) {
            if (value == QLatin1String("off"))
                options->share = false;
            else if (missing || !ParseListenAddress(value, &options->shareAddress))
                return FormatResource(IDS_STATION_USAGE_SHARE, value);
            else
                options->share = true;
        } else if (TakeValue(arguments, i, QStringLiteral("--allow"), &value, &missing)) {
            if (missing || !ParseAllowList(value, &options->allow))
                return FormatResource(IDS_STATION_USAGE_ALLOW, value);
            options->allowGiven = true;
        } else {
            return FormatResource(IDS_STATION_USAGE_UNKNOWN, arguments[i]);
        }
    }
    // Beyond loopback anyone on the network could reach the amplifier: only on purpose.
    if (options->share && !options->allowGiven && !options->shareAddress.address.isLoopback())
        return FormatResource(IDS_STATION_USAGE_NEEDS_ALLOW, options->shareAddress.address.toString());
    return {};
}

int RunServe(CCliContext& context, const QStringList& arguments)
{
    ServeOptions options;
    const QString usageError = ParseServeOptions(arguments, &options);
    if (options.help && usageError.isEmpty()) {
        context.Out(
            QStringLiteral("usage: qro4000 -p PORT %1\n\n%2").arg(QLatin1String(kUsage), QLatin1String(kOptions)));
        return ExitSuccess;
    }
    if (!usageError.isEmpty()) {
        context.Err(QStringLiteral("qro4000: ") + usageError);
        context.Err(QStringLiteral("usage: qro4000 -p PORT %1").arg(QLatin1String(kUsage)));
        return ExitUsage;
    }
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
    station.Start();
    QEventLoop loop;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&]() {
        if (g_terminate || context.Interrupted())
            loop.quit();
    });
    watch.start(100);
    loop.exec();

    if (share)
        share->Close();
    station.Stop();
    log(FormatResource(IDS_STATION_STOPPED, context.PortName()));
    return ExitSuccess;
}
} // namespace

QRO_CLI_COMMAND("serve", kUsage,
    "hold the amplifier's port and share it with every program over RFC 2217 (--help: the options)", RunServe);
