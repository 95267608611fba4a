#pragma once
// What the maintenance commands of the command line share: contact with a QRO4000 running its
// application, the confirmation and the configuration backup before a destructive command.
#include "cli/CliContext.h"
#include "link/BackupOffer.h"
#include "maintenance/MaintenanceStringIds.h"
#include "model/ResultCode.h"

namespace MaintenanceCli {
// Finds the amplifier. True when a QRO4000 runs its application; otherwise says why (a boot
// loader with `bootLoaderCode`) and gives the exit status.
bool ConnectToApplication(CCliContext& context, DWORD bootLoaderCode, int* exitStatus);
// Asks before something that cannot be undone (--yes answers yes). False, with the exit status
// and "Not confirmed: nothing was erased", when the answer is no.
bool Confirm(CCliContext& context, unsigned captionId, const QString& question, int* exitStatus);
// What a failed backup says, with its code (codeInText: the text formats it) and the advice.
struct FailureTexts {
    unsigned failedId;
    unsigned adviceId;
    bool codeInText;
};
// The backup question (y / n / c at a terminal, --yes for y) unless `backup` is false
// (--no-backup), then the save into the configuration folder under the name a save offers.
// False, with the exit status, when the answer was Cancel (130), or the save failed (1) or was
// interrupted (130): unattended runs (--yes) must not lose a configuration silently, so nothing
// is erased then.
bool BackupFirst(CCliContext& context, bool backup, const BackupOffer::Texts& texts, const FailureTexts& failure,
    int* exitStatus);
// The texts of the backup before a reset (IDS_BACKUP_OPERATION_RESET) or an erase.
BackupOffer::Texts MaintenanceBackupTexts(CCliContext& context, unsigned operationId);
inline constexpr FailureTexts kMaintenanceBackupFailure {IDS_MAINT_CLI_BACKUP_FAILED, IDS_MAINT_CLI_USE_NO_BACKUP, false};
// True when the task's machine could be made; otherwise says that another task holds the
// amplifier and gives the exit status.
bool IsMade(CCliContext& context, const void* machine, int* exitStatus);
} // namespace MaintenanceCli
