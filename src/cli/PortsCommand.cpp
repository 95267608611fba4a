#include "cli/CliContext.h"
#include "cli/CommandRegistry.h"
#include "link/ports/PortList.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
int RunPorts(CCliContext& context, const CCliArguments&)
{
    std::vector<CPortInfo> ports = ListSerialPorts();
    std::sort(ports.begin(), ports.end(), [](const CPortInfo& a, const CPortInfo& b) { return a.name < b.name; });
    CPortInfo sim;
    sim.name = QStringLiteral("SIM");
    sim.description = QStringLiteral("built-in simulated amplifier");
    ports.push_back(sim);
    if (context.GetOptions().json) {
        QJsonArray list;
        for (const CPortInfo& p : ports)
            list.append(QJsonObject{{"name", p.name}, {"description", p.description}, {"stableName", p.stableName}});
        context.Out(QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Compact)));
        return ExitSuccess;
    }
    for (const CPortInfo& p : ports) {
        QString line = p.name.leftJustified(12);
        if (!p.description.isEmpty())
            line += p.description;
        if (!p.stableName.isEmpty())
            line += QStringLiteral("  [%1]").arg(p.stableName);
        context.Out(line.trimmed());
    }
    return ExitSuccess;
}
}  // namespace

QRO_CLI_COMMAND("ports", {}, "list the serial ports, and SIM (the simulated amplifier)", RunPorts);
