#pragma once
// What the maintenance commands of the command line share: contact with a QRO4000 running its
// application, the confirmation and the configuration backup before a destructive command.
#include "cli/CliContext.h"
#include "model/ResultCode.h"

namespace MaintenanceCli {
// Finds the amplifier. True when a QRO4000 runs its application; otherwise says why (a boot
// loader with `bootLoaderCode`) and gives the exit status.
bool ConnectToApplication(CCliContext& context, DWORD bootLoaderCode, int* exitStatus);
// Asks before something that cannot be undone (--yes answers yes). False, with the exit status
// and "Not confirmed: nothing was erased", when the answer is no.
bool Confirm(CCliContext& context, unsigned captionId, const QString& question, int* exitStatus);
// Saves the configuration into the configuration folder under the name a save offers, unless
// `backup` is false. False, with the exit status, when the save failed or was interrupted:
// unattended runs (--yes) must not lose a configuration silently, so nothing is erased then.
bool BackupFirst(CCliContext& context, bool backup, int* exitStatus);
// True when the task's machine could be made; otherwise says that another task holds the
// amplifier and gives the exit status.
bool IsMade(CCliContext& context, const void* machine, int* exitStatus);
} // namespace MaintenanceCli
