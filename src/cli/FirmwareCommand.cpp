#include "cli/FirmwareCommand.h"
#include "cli/CliContext.h"
#include "cli/CommandRegistry.h"

namespace {
constexpr CCliArg kLoadArguments[] = {
    CliArg::OptionalArgument("FILE", "the firmware file (default: the newest in the firmware folder)"),
    CliArg::Flag("--no-backup", "send without saving the configuration first"),
    CliArg::Flag("--downgrade", "allow a file older than the installed firmware"),
};
constexpr CCliArg kDownloadArguments[] = {
    CliArg::Option("--server", "URL", "the file server (default: the program's setting)"),
    CliArg::Option("--folder", "DIR", "the firmware folder to copy into (default: the program's setting)"),
};
} // namespace

QRO_CLI_COMMAND("firmware status", {}, "compare the installed firmware with the newest file of the firmware folder",
    RunFirmwareStatus);
QRO_CLI_COMMAND("firmware load", kLoadArguments,
    "send a firmware file (default: the newest in the firmware folder; the configuration is saved first)",
    RunFirmwareLoad);
QRO_CLI_COMMAND("firmware download", kDownloadArguments, "copy new firmware files from the Brimwell file server",
    RunFirmwareDownload);
