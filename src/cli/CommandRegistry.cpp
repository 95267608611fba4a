#include "cli/CommandRegistry.h"
#include "cli/CliContext.h"
#include <algorithm>

namespace {
std::vector<CCliCommand>& Commands()
{
    static std::vector<CCliCommand> commands;
    return commands;
}
}  // namespace

bool CCommandRegistry::Add(const CCliCommand& command)
{
    auto& commands = Commands();
    commands.push_back(command);
    std::sort(commands.begin(), commands.end(),
              [](const CCliCommand& a, const CCliCommand& b) { return qstrcmp(a.name, b.name) < 0; });
    return true;
}

const CCliCommand* CCommandRegistry::Find(const QString& name)
{
    for (const CCliCommand& c : Commands())
        if (name == QLatin1String(c.name))
            return &c;
    return nullptr;
}

const CCliCommand* CCommandRegistry::Find(const QStringList& words, int* used)
{
    if (words.size() >= 2) {
        if (const CCliCommand* sub = Find(words[0] + QLatin1Char(' ') + words[1])) {
            *used = 2;
            return sub;
        }
    }
    *used = 1;
    return words.isEmpty() ? nullptr : Find(words[0]);
}

std::vector<const CCliCommand*> CCommandRegistry::Subcommands(const QString& first)
{
    std::vector<const CCliCommand*> found;
    const QString prefix = first + QLatin1Char(' ');
    for (const CCliCommand& c : Commands())
        if (QLatin1String(c.name).startsWith(prefix))
            found.push_back(&c);
    return found;
}

const std::vector<CCliCommand>& CCommandRegistry::All()
{
    return Commands();
}

int CliUsageError(CCliContext& context, const char* command, const QString& why)
{
    if (!why.isEmpty())
        context.Err(QStringLiteral("qro4000 %1: %2").arg(QLatin1String(command), why));
    const CCliCommand* found = CCommandRegistry::Find(QLatin1String(command));
    context.Err(QStringLiteral("usage: qro4000 %1").arg(found ? found->Usage() : QLatin1String(command)));
    return ExitUsage;
}
