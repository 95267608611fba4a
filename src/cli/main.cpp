#include "cli/CliContext.h"
#include "cli/CommandRegistry.h"
#include "link/ports/PortList.h"
#include "model/RevisionText.h"
#include <QCoreApplication>
#include <algorithm>
#include <cstdio>

namespace {
// The options every command takes, before or after the command's name.
constexpr CCliArg kGlobalOptions[] = {
    CliArg::Option("--port", "NAME", "serial port (default: the port chosen last in the program)", "-p"),
    CliArg::Flag("--trace", "show every command sent and every answer received"),
    CliArg::Flag("--verbose", "show detailed status lines"),
    CliArg::Flag("--json", "machine-readable output where a command offers it"),
    CliArg::Flag("--yes", "answer yes to every confirmation", "-y"),
    CliArg::Option("--timeout", "S", "give up looking for the amplifier after S seconds (default 15)"),
    CliArg::Flag("--version", "print the program's revision"),
    CliArg::Flag("--help", "this text, or with a command the command's own", "-h"),
};

void PrintUsage(FILE* stream)
{
    std::fprintf(stream,
                 "Usage: qro4000 [options] COMMAND [arguments]\n"
                 "Talks to a Brimwell QRO4000 amplifier on a serial port (or the simulated one, SIM).\n\n"
                 "Options:\n%s\n"
                 "Commands:\n",
                 qPrintable(CliArg::Table(kGlobalOptions)));
    for (const CCliCommand& c : CCommandRegistry::All())
        std::fprintf(stream, "  %-32s %s\n", qPrintable(c.Usage()), c.summary);
    std::fprintf(stream,
        "\nExit status: 0 success, 1 failure, 2 usage error, 130 interrupted (Ctrl+C).\n"
        "diff-config answers as cmp and diff do: 0 no differences, 1 differences found,\n"
        "2 trouble (a usage error, a file that cannot be read, no amplifier).\n");
}

void PrintCommandHelp(const CCliCommand& command)
{
    std::printf("usage: qro4000 %s\n%s\n\n%s\nThe options of \"qro4000 --help\" may follow too.\n",
        qPrintable(command.Usage()), command.summary, qPrintable(CliArg::Table(command.arguments)));
}

bool ParseTimeout(const QString& text, CCliContext::Options* options)
{
    bool ok = false;
    const double seconds = text.toDouble(&ok);
    if (!ok || seconds <= 0 || seconds > 24 * 3600) {
        std::fprintf(stderr, "qro4000: --timeout needs a number of seconds\n");
        return false;
    }
    options->contactTimeoutMs = static_cast<DWORD>(seconds * 1000);
    return true;
}
}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString error;
    // The options before the command's name, then the command's arguments read with its own
    // table and the global options.
    CCliArguments global;
    QStringList rest;
    if (!global.Parse(kGlobalOptions, app.arguments().mid(1), &error, true, &rest)) {
        std::fprintf(stderr, "qro4000: %s\n", qPrintable(error));
        PrintUsage(stderr);
        return ExitUsage;
    }
    if (global.Has("--version")) {
        std::printf("%s\n", qPrintable(TitleBaseText()));
        return ExitSuccess;
    }
    if (global.Has("--help")) {
        PrintUsage(stdout);
        return ExitSuccess;
    }
    if (rest.isEmpty()) {
        PrintUsage(stderr);
        return ExitUsage;
    }
    int used = 0;
    const CCliCommand* command = CCommandRegistry::Find(rest, &used);
    if (!command) {
        const std::vector<const CCliCommand*> subcommands = CCommandRegistry::Subcommands(rest[0]);
        if (subcommands.empty()) {
            std::fprintf(stderr, "qro4000: unknown command \"%s\"\n", qPrintable(rest[0]));
            PrintUsage(stderr);
        }
        for (const CCliCommand* sub : subcommands)
            std::fprintf(stderr, "%s qro4000 %s\n", sub == subcommands.front() ? "usage:" : "      ",
                qPrintable(sub->Usage()));
        return ExitUsage;
    }
    std::vector<CCliArg> table(command->arguments.begin(), command->arguments.end());
    for (const CCliArg& option : kGlobalOptions)
        if (std::none_of(table.begin(), table.end(), [&](const CCliArg& row) { return qstrcmp(row.name, option.name) == 0; }))
            table.push_back(option);
    CCliArguments arguments;
    if (!arguments.Parse(table, rest.mid(used), &error) && !arguments.Has("--help")) {
        std::fprintf(stderr, "qro4000 %s: %s\nusage: qro4000 %s\n", command->name, qPrintable(error),
            qPrintable(command->Usage()));
        return ExitUsage;
    }
    if (arguments.Has("--help")) {
        PrintCommandHelp(*command);
        return ExitSuccess;
    }
    CCliArguments both = global;
    if (!both.Merge(arguments, &error)) {
        std::fprintf(stderr, "qro4000: %s\n", qPrintable(error));
        return ExitUsage;
    }
    if (both.Has("--version")) {
        std::printf("%s\n", qPrintable(TitleBaseText()));
        return ExitSuccess;
    }
    CCliContext::Options options;
    options.port = both.Value("--port");
    options.trace = both.Has("--trace");
    options.verbose = both.Has("--verbose");
    options.json = both.Has("--json");
    options.yes = both.Has("--yes");
    if (both.Has("--timeout") && !ParseTimeout(both.Value("--timeout"), &options))
        return ExitUsage;
    if (IsPortNameTooLong(options.port)) {
        // Said as such, and never echoed whole: a name this long is a mistake, not a port.
        std::fprintf(stderr, "qro4000: the port name is too long (%lld characters): %s\n",
            static_cast<long long>(options.port.size()), qPrintable(ShortPortName(options.port)));
        return ExitUsage;
    }
    CCliContext context(options);
    return context.Finish(command->run(context, arguments));
}
