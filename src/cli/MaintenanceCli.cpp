#include "cli/MaintenanceCli.h"
#include "cli/CliStringIds.h"
#include "cli/ConfigCommonCommand.h"
#include "config/ConfigStringIds.h"
#include "config/ConfigBackup.h"
#include "maintenance/MaintenanceStringIds.h"
#include "model/ErrorText.h"
#include "model/StringTable.h"
#include <QDateTime>

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

bool BackupFirst(CCliContext& context, bool backup, const BackupOffer::Texts& texts, const FailureTexts& failure,
    int* exitStatus)
{
    if (!backup) {
        context.Err(texts.skipped);
        return true;
    }
    QString message;
    // The save picks the name (its own time stamp) in the folder the question names.
    const auto save = [&](QString* fileName) { return ConfigCli::SaveBackup(context, fileName, &message); };
    DWORD saved = 0;
    const BackupOffer::Outcome outcome = BackupOffer::Offer(
        context.Model(), context, texts, ConfigBackup::FileName(context.Model(), QDateTime::currentDateTime()), save,
        [&](const QString& line) {
            if (line != texts.skipped)
                context.Out(line);
            else
                context.Err(line);
        },
        &saved);
    if (BackupOffer::MayGoOn(outcome))
        return true;
    if (!message.isEmpty())
        context.Err(message);
    if (saved == 0 || saved == Result::Cancelled || context.Interrupted()) {
        // Cancel at the question, or Ctrl+C during the save: nothing was done.
        context.Err(ResourceString(IDS_CLI_CANCELLED_NOTHING_DONE));
        *exitStatus = ExitInterrupted;
        return false;
    }
    // Unattended runs (--yes) must not lose a configuration silently: stop here.
    if (failure.codeInText) {
        context.Err(FormatResource(failure.failedId, saved, GetErrorText(saved)));
    } else {
        if (!message.contains(ErrorCodeLine(saved)))
            context.Err(ErrorCodeLine(saved));
        context.Err(ResourceString(failure.failedId));
    }
    context.Err(ResourceString(failure.adviceId));
    *exitStatus = ExitFailure;
    return false;
}

BackupOffer::Texts MaintenanceBackupTexts(CCliContext& context, unsigned operationId)
{
    const QString fileName = ConfigBackup::FileName(context.Model(), QDateTime::currentDateTime());
    return {ResourceString(IDS_BACKUP_CAPTION), FormatResource(IDS_BACKUP_QUESTION, ResourceString(operationId), fileName),
        ResourceString(IDS_BACKUP_SKIPPED), IDS_BACKUP_SAVED, 0};
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
