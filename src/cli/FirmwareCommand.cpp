#include "cli/FirmwareCommand.h"
#include "cli/CliContext.h"
#include "cli/CommandRegistry.h"

namespace {
int RunFirmware(CCliContext& context, const QStringList& arguments)
{
    const QString sub = arguments.value(0);
    if (sub == QLatin1String("status"))
        return RunFirmwareStatus(context, arguments.mid(1));
    if (sub == QLatin1String("load"))
        return RunFirmwareLoad(context, arguments.mid(1));
    context.Err(QStringLiteral("usage: qro4000 firmware status\n"
                               "       qro4000 firmware load [FILE] [--no-backup]"));
    return ExitUsage;
}
} // namespace

QRO_CLI_COMMAND("firmware", "firmware status | load [FILE] [--no-backup]",
    "compare installed and available firmware, or send a firmware file (default: the newest in the "
    "firmware folder; the configuration is saved first)",
    RunFirmware);
