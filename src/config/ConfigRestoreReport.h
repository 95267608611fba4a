#pragma once
// What the restore tells the user before and after it writes, the same in the dialog and on the
// command line.
#include "config/ConfigFileInfo.h"
#include "config/ConfigRestoreStateMachineInterface.h"
#include <QString>
#include <QStringList>

namespace ConfigRestoreReport {
// What a restore of the file will write, one sentence a line: the file, when it was saved,
// whether the amplifier's own bytes (0x10 to 0xFF) are written or kept because the file comes
// from another amplifier, and how many bytes in how many blocks.
QStringList Summary(const QString& fileName, const CConfigFileInfo& info, WORD amplifierSerial,
    const IConfigRestoreStateMachine& machine);

// The warning a restore that ended with `result` calls for: the memory is partly written when
// it stopped between its first and its last write, or written but not restarted when it
// stopped in the power cycle after. Empty for success, for a stop before the first write and
// for a cancel (the cancel has its own warning).
QString Aftermath(const IConfigRestoreStateMachine& machine, DWORD result);
} // namespace ConfigRestoreReport
