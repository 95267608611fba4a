#pragma once
#include "config/ConfigSaveStateMachineInterface.h"
#include <QDateTime>
#include <QString>

class CModelBase;

// The end of a save, as the dialog and the command line both finish it: only a read that
// completed (result 0) is written to the file; a cancelled or failed read writes nothing, so
// an earlier file of that name stays as it was. Answers the save's result: the machine's, or
// the platform error of the write (`message` then says which call failed on which file).
DWORD CompleteConfigSave(const CModelBase& model, const IConfigSaveStateMachine& machine, DWORD machineResult,
    const QString& fileName, const QDateTime& timeStamp, QString* message);
