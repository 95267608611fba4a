#include "cli/CliContext.h"
#include "cli/CommandRegistry.h"
#include "model/StringTable.h"
#include "operate/follow/FollowStringIds.h"
#include "operate/follow/RadioFollowing.h"
#include "station/LineArbiter.h"
#include "station/ListenAddress.h"
#include "station/ShareServer.h"
#include "station/StationPoll.h"
#include "station/StationServer.h"
#include "station/StationStringIds.h"
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
    CliArg::Option("--allow", "CIDR[,CIDR...]",
        "who may connect to every endpoint; needed to listen beyond loopback. Exit status: 0 after SIGINT or "
        "SIGTERM, 1 when an address cannot be bound, 2 for a usage error; an absent amplifier is waited for"),
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
        if (!serve.allowGiven && !parsed->address.isLoopback())
            return FormatResource(IDS_STATION_USAGE_NEEDS_ALLOW, parsed->address.toString());
        *source = *parsed;
    }
    return {};
}

int RunServe(CCliContext& context, const CCliArguments& arguments)
{
    ServeOptions options;
    QString usageError = ParseServeOptions(arguments, &options);
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
        if (!poll)
            poll = std::make_unique<CStationPoll>(context.Host(), arbiter, model.m_operatePollInterval.m_value);
        return *poll;
    };
    (void)needPoll;

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

    station.Start();
    if (poll)
        poll->Start();
    if (following) {
        QString error;
        if (!following->Start(&error)) {
            log(error);
            if (poll)
                poll->Stop();
            if (share)
                share->Close();
            station.Stop();
            return ExitFailure;
        }
    }
    QEventLoop loop;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&]() {
        if (g_terminate || context.Interrupted())
            loop.quit();
    });
    watch.start(100);
    loop.exec();

    following.reset();
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
