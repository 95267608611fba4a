#pragma once
#include "cli/CliArguments.h"
#include <QStringList>
#include <vector>

class CCliContext;

// One command of the command-line program. Each command lives in its own file and registers
// itself with QRO_CLI_COMMAND. Its argument table is the only description of its arguments: the
// parser reads them with it, and the usage line and --help are made from it. A name of two
// words ("firmware load") is a subcommand.
struct CCliCommand {
    const char* name;
    CCliArgTable arguments;
    const char* summary; // one line for --help
    int (*run)(CCliContext& context, const CCliArguments& arguments);

    QString Usage() const { return CliArg::UsageLine(QLatin1String(name), arguments); }
};

class CCommandRegistry {
public:
    static bool Add(const CCliCommand& command);
    // The command the words name: "firmware load ..." before "firmware ..."; `used` tells how
    // many words the name took.
    static const CCliCommand* Find(const QStringList& words, int* used);
    static const CCliCommand* Find(const QString& name);
    // The subcommands of a first word ("firmware": status, load, download).
    static std::vector<const CCliCommand*> Subcommands(const QString& first);
    static const std::vector<CCliCommand>& All();
};

// Says why the arguments do not fit (when `why` is not empty) and prints the command's usage
// line; answers the usage exit status.
int CliUsageError(CCliContext& context, const char* command, const QString& why = QString());

#define QRO_CLI_CONCAT2(a, b) a##b
#define QRO_CLI_CONCAT(a, b) QRO_CLI_CONCAT2(a, b)
#define QRO_CLI_COMMAND(...) \
    static const bool QRO_CLI_CONCAT(s_cliCommandRegistered, __LINE__) = CCommandRegistry::Add(CCliCommand{__VA_ARGS__})
