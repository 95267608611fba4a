#include "cli/CommandRegistry.h"
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

const std::vector<CCliCommand>& CCommandRegistry::All()
{
    return Commands();
}
