#include "cli/CommandRegistry.h"
#include "cli/ConfigCommonCommand.h"
#include "cli/MaintenanceCli.h"
#include "maintenance/AtuBands.h"
#include "maintenance/EraseConfigStateMachine.h"
#include "maintenance/MaintenanceStringIds.h"
#include "model/ErrorText.h"
#include "model/StringTable.h"

namespace {
constexpr CCliArg kArguments[] = {
    CliArg::Required("--band", "B", "the band: 0-10, 160, 80, 60, 40, 30, 20, 17, 15, 12, 10, 6 (m), or all"),
    CliArg::Required("--antenna", "N", "the antenna, 1 or 2"),
    CliArg::Flag("--no-backup", "erase without saving the configuration first"),
};

int RunEraseAtu(CCliContext& context, const CCliArguments& arguments)
{
    const bool backup = !arguments.Has("--no-backup");
    const QString bandText = arguments.Value("--band");
    const QString antennaText = arguments.Value("--antenna");
    if (bandText.isEmpty() || antennaText.isEmpty())
        return CliUsageError(context, "erase-atu");
    const int band = AtuBands::Parse(bandText);
    if (band == AtuBands::kAmbiguous) {
        const QString t = bandText.trimmed();
        const QString other = AtuBands::Metres(t.toInt());
        context.Err(FormatResource(IDS_MAINT_CLI_AMBIGUOUS_BAND, t, t, t, other, t, other));
        return ExitUsage;
    }
    if (band < 0) {
        context.Err(FormatResource(IDS_MAINT_CLI_BAD_BAND, bandText));
        return ExitUsage;
    }
    const int antenna = antennaText.trimmed() == QLatin1String("1") ? 1
        : antennaText.trimmed() == QLatin1String("2")               ? 2
                                                                    : 0;
    if (antenna == 0) {
        context.Err(FormatResource(IDS_MAINT_CLI_BAD_ANTENNA, antennaText));
        return ExitUsage;
    }

    const QString bandDescription = AtuBands::Description(band);
    int exitStatus = ExitFailure;
    if (!MaintenanceCli::ConnectToApplication(context, Result::BootLoaderNothingErased, &exitStatus)
        || !MaintenanceCli::Confirm(context, IDS_ERASE_CAPTION,
            FormatResource(
                IDS_MAINT_CLI_CONFIRM_ERASE, bandDescription, unsigned(antenna), ProductName(), context.PortName()),
            &exitStatus)
        || !MaintenanceCli::BackupFirst(context, backup, MaintenanceCli::MaintenanceBackupTexts(context, IDS_BACKUP_OPERATION_ERASE),
            MaintenanceCli::kMaintenanceBackupFailure, &exitStatus))
        return exitStatus;

    CModel& model = context.Model();
    auto* machine = model.CreateMachine<CEraseConfigStateMachine>();
    if (!MaintenanceCli::IsMade(context, machine, &exitStatus))
        return exitStatus;
    model.m_band.Set(CModel::Band(band));
    model.m_antenna.Set(static_cast<BYTE>(antenna));
    machine->StartEraseMemory();
    const DWORD result = context.RunUntilIdle(*machine);
    if (result != 0) {
        context.EndProgress();
        context.Err(FormatResource(IDS_ERASE_FAILED, bandDescription, unsigned(antenna), result, GetErrorText(result)));
        return result == Result::Cancelled || context.Interrupted() ? ExitInterrupted : ExitFailure;
    }
    context.Out(FormatResource(IDS_ERASE_DONE, bandDescription, unsigned(antenna)));
    return ExitSuccess;
}
} // namespace

QRO_CLI_COMMAND("erase-atu", kArguments,
    "erase the ATU memories of one band (0-10, 160 ... 6m, or all) of one antenna; saves a backup first", RunEraseAtu);
