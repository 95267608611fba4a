#include "cli/CommandRegistry.h"
#include "cli/ConfigCommonCommand.h"
#include "cli/MaintenanceCli.h"
#include "maintenance/EraseConfigStateMachine.h"
#include "maintenance/MaintenanceStringIds.h"
#include "model/StringTable.h"

namespace {
constexpr CCliArg kArguments[] = {
    CliArg::Flag("--no-backup", "reset without saving the configuration first"),
};

int RunResetConfig(CCliContext& context, const CCliArguments& arguments)
{
    const bool backup = !arguments.Has("--no-backup");
    int exitStatus = ExitFailure;
    if (!MaintenanceCli::ConnectToApplication(context, Result::BootLoaderNothingErased, &exitStatus)
        || !MaintenanceCli::Confirm(context, IDS_RESET_CAPTION,
            FormatResource(IDS_MAINT_CLI_CONFIRM_RESET, ProductName(), context.PortName()), &exitStatus)
        || !MaintenanceCli::BackupFirst(context, backup, MaintenanceCli::MaintenanceBackupTexts(context, IDS_BACKUP_OPERATION_RESET),
            MaintenanceCli::kMaintenanceBackupFailure, &exitStatus))
        return exitStatus;

    auto* machine = context.Model().CreateMachine<CEraseConfigStateMachine>();
    if (!MaintenanceCli::IsMade(context, machine, &exitStatus))
        return exitStatus;
    machine->StartResetConfiguration();
    const DWORD result = context.RunUntilIdle(*machine);
    if (result != 0) {
        context.Err(ResourceString(result == Result::Cancelled ? IDS_RESET_CANCELLED : IDS_RESET_FAILED));
        return context.ReportFailure(result);
    }
    context.Out(ResourceString(IDS_RESET_DONE));
    return ExitSuccess;
}
} // namespace

QRO_CLI_COMMAND("reset-config", kArguments,
    "reset the amplifier's configuration to factory default (ATU memories kept); saves a backup first", RunResetConfig);
