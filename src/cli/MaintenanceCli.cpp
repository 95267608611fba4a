#include "cli/MaintenanceCli.h"
#include "cli/ConfigCommonCommand.h"
#include "config/ConfigStringIds.h"
#include "maintenance/MaintenanceStringIds.h"
#include "model/ErrorText.h"
#include "model/StringTable.h"

namespace MaintenanceCli {
bool ConnectToApplication(CCliContext& context, DWORD bootLoaderCode, int* exitStatus)
{
    const DWORD contact = context.Connect();
    if (contact != 0) {
        *exitStatus = context.ReportFailure(contact);
        return false;
    }
    CModel& model = context.Model();
    if (!model.IsExpectedDevice()) {
        *exitStatus = context.ReportFailure(Result::UnexpectedDevice);
        return false;
    }
    if (model.m_firmwareStatus.m_value != FirmwareApplication) {
        *exitStatus = context.ReportFailure(bootLoaderCode);
        return false;
    }
    return true;
}

bool Confirm(CCliContext& context, unsigned captionId, const QString& question, int* exitStatus)
{
    if (context.AskYesNo(IUserPrompt::Icon::Warning, ResourceString(captionId), question))
        return true;
    context.Err(ResourceString(IDS_MAINT_CLI_NOT_CONFIRMED));
    *exitStatus = ExitFailure;
    return false;
}

bool BackupFirst(CCliContext& context, bool backup, int* exitStatus)
{
    if (!backup) {
        context.Err(ResourceString(IDS_BACKUP_SKIPPED));
        return true;
    }
    QString fileName;
    QString message;
    const DWORD result = ConfigCli::SaveBackup(context, &fileName, &message);
    if (result == 0) {
        context.Out(FormatResource(IDS_BACKUP_SAVED, fileName));
        return true;
    }
    if (!message.isEmpty())
        context.Err(message);
    if (result == Result::Cancelled || context.Interrupted()) {
        *exitStatus = context.ReportFailure(Result::Cancelled);
        return false;
    }
    if (!message.contains(ErrorCodeLine(result)))
        context.Err(ErrorCodeLine(result));
    context.Err(ResourceString(IDS_MAINT_CLI_BACKUP_FAILED));
    context.Err(ResourceString(IDS_MAINT_CLI_USE_NO_BACKUP));
    *exitStatus = ExitFailure;
    return false;
}

bool IsMade(CCliContext& context, const void* machine, int* exitStatus)
{
    if (machine)
        return true;
    context.Err(ResourceString(IDS_MAINT_BUSY));
    *exitStatus = ExitFailure;
    return false;
}
} // namespace MaintenanceCli
