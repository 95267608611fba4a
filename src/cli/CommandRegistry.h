#pragma once
#include <QStringList>
#include <vector>

class CCliContext;

// One command of the command-line program. Each command lives in its own file and registers
// itself with QRO_CLI_COMMAND.
struct CCliCommand {
    const char* name;
    const char* usage;    // "save-config [FILE]"
    const char* summary;  // one line for --help
    int (*run)(CCliContext& context, const QStringList& arguments);
};

class CCommandRegistry {
public:
    static bool Add(const CCliCommand& command);
    static const CCliCommand* Find(const QString& name);
    static const std::vector<CCliCommand>& All();
};

#define QRO_CLI_CONCAT2(a, b) a##b
#define QRO_CLI_CONCAT(a, b) QRO_CLI_CONCAT2(a, b)
#define QRO_CLI_COMMAND(...) \
    static const bool QRO_CLI_CONCAT(s_cliCommandRegistered, __LINE__) = CCommandRegistry::Add(CCliCommand{__VA_ARGS__})
