#include "cli/CliContext.h"
#include "cli/CommandRegistry.h"
#include "link/PortList.h"
#include "model/RevisionText.h"
#include <QCoreApplication>
#include <cstdio>

namespace {
void PrintUsage(FILE* stream)
{
    std::fprintf(stream,
                 "Usage: qro4000 [options] COMMAND [arguments]\n"
                 "Talks to a Brimwell QRO4000 amplifier on a serial port (or the simulated one, SIM).\n\n"
                 "Options:\n"
                 "  -p, --port NAME   serial port (default: the port chosen last in the program)\n"
                 "      --trace       show every command sent and every answer received\n"
                 "      --verbose     show detailed status lines\n"
                 "      --json        machine-readable output where a command offers it\n"
                 "  -y, --yes         answer yes to every confirmation\n"
                 "      --timeout S   give up looking for the amplifier after S seconds (default 15)\n"
                 "      --version     print the program's revision\n"
                 "  -h, --help        this text\n\n"
                 "Commands:\n");
    for (const CCliCommand& c : CCommandRegistry::All())
        std::fprintf(stream, "  %-32s %s\n", c.usage, c.summary);
    std::fprintf(stream,
        "\nExit status: 0 success, 1 failure, 2 usage error, 130 interrupted (Ctrl+C).\n"
        "diff-config answers as cmp and diff do: 0 no differences, 1 differences found,\n"
        "2 trouble (a usage error, a file that cannot be read, no amplifier).\n");
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
    QStringList args = app.arguments().mid(1);
    CCliContext::Options options;
    QString commandName;
    QStringList commandArgs;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (!commandName.isEmpty()) {
            // Global options may follow the command too.
            if (a == "--trace") options.trace = true;
            else if (a == "--verbose") options.verbose = true;
            else if (a == "--json") options.json = true;
            else if (a == "-y" || a == "--yes") options.yes = true;
            else if ((a == "-p" || a == "--port") && i + 1 < args.size()) options.port = args[++i];
            else if (a == "--timeout" && i + 1 < args.size()) {
                if (!ParseTimeout(args[++i], &options)) return ExitUsage;
            }
            else commandArgs << a;
            continue;
        }
        if (a == "--version") {
            std::printf("%s\n", qPrintable(TitleBaseText()));
            return ExitSuccess;
        }
        if (a == "-h" || a == "--help") {
            PrintUsage(stdout);
            return ExitSuccess;
        }
        if (a == "--trace") options.trace = true;
        else if (a == "--verbose") options.verbose = true;
        else if (a == "--json") options.json = true;
        else if (a == "-y" || a == "--yes") options.yes = true;
        else if (a == "--timeout") {
            if (i + 1 >= args.size() || !ParseTimeout(args[++i], &options))
                return ExitUsage;
        } else if (a == "-p" || a == "--port") {
            if (i + 1 >= args.size()) {
                std::fprintf(stderr, "qro4000: %s needs a port name\n", qPrintable(a));
                return ExitUsage;
            }
            options.port = args[++i];
        } else if (a.startsWith("--port=")) {
            options.port = a.mid(7);
        } else if (a.startsWith('-')) {
            std::fprintf(stderr, "qro4000: unknown option %s\n", qPrintable(a));
            PrintUsage(stderr);
            return ExitUsage;
        } else {
            commandName = a;
        }
    }
    if (commandName.isEmpty()) {
        PrintUsage(stderr);
        return ExitUsage;
    }
    const CCliCommand* command = CCommandRegistry::Find(commandName);
    if (!command) {
        std::fprintf(stderr, "qro4000: unknown command \"%s\"\n", qPrintable(commandName));
        PrintUsage(stderr);
        return ExitUsage;
    }
    if (IsPortNameTooLong(options.port)) {
        // Said as such, and never echoed whole: a name this long is a mistake, not a port.
        std::fprintf(stderr, "qro4000: the port name is too long (%lld characters): %s\n",
            static_cast<long long>(options.port.size()), qPrintable(ShortPortName(options.port)));
        return ExitUsage;
    }
    CCliContext context(options);
    return context.Finish(command->run(context, commandArgs));
}
