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
    if (sub == QLatin1String("download"))
        return RunFirmwareDownload(context, arguments.mid(1));
    context.Err(QStringLiteral("usage: qro4000 firmware status\n"
                               "       qro4000 firmware load [FILE] [--no-backup] [--downgrade]\n"
                               "       qro4000 firmware download [--server URL] [--folder DIR]"));
    return ExitUsage;
}
} // namespace

QRO_CLI_COMMAND("firmware",
    "firmware status | load [FILE] [--no-backup] [--downgrade] | download [--server URL] [--folder DIR]",
    "compare installed and available firmware, send a firmware file (default: the newest in the "
    "firmware folder; the configuration is saved first), or copy new files from the Brimwell file server",
    RunFirmware);
