#include "config/ConfigSaveCompletion.h"
#include "config/ConfigFileWriter.h"

DWORD CompleteConfigSave(const CModelBase& model, const IConfigSaveStateMachine& machine, DWORD machineResult,
    const QString& fileName, const QDateTime& timeStamp, QString* message)
{
    if (message)
        message->clear();
    if (machineResult != 0)
        return machineResult;
    return WriteConfigFile(model, fileName, timeStamp, machine, message);
}
