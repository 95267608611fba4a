#include "config/ConfigRestoreReport.h"
#include "config/ConfigStringIds.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include <QDir>

namespace ConfigRestoreReport {
QStringList Summary(const QString& fileName, const CConfigFileInfo& info, WORD amplifierSerial,
    const IConfigRestoreStateMachine& machine)
{
    QStringList lines;
    lines << FormatResource(IDS_CONFIG_SUMMARY_FILE, QDir::toNativeSeparators(fileName));
    lines << (info.savedOn.isEmpty() ? ResourceString(IDS_CONFIG_SUMMARY_NO_DATE) : info.savedOn);
    if (amplifierSerial == kNoSerialNumber)
        lines << ResourceString(IDS_CONFIG_CLI_AMPLIFIER_HAS_NO_SERIAL);
    else if (info.serialNumber < 0)
        lines << ResourceString(IDS_CONFIG_CLI_FILE_HAS_NO_SERIAL);
    else if (machine.SerialMismatch())
        lines << FormatResource(IDS_CONFIG_CLI_SERIALS_DIFFER, info.serialNumber, amplifierSerial);
    else
        lines << FormatResource(IDS_CONFIG_CLI_SERIALS_MATCH, amplifierSerial);
    lines << FormatResource(IDS_CONFIG_CLI_WILL_WRITE, machine.TotalBytes(), machine.RecordCount());
    return lines;
}

QString Aftermath(const IConfigRestoreStateMachine& machine, DWORD result)
{
    if (result == 0 || result == Result::Cancelled)
        return QString();
    switch (machine.Stage()) {
    case IConfigRestoreStateMachine::WriteStage::Writing:
        return ResourceString(IDS_CONFIG_PARTLY_WRITTEN);
    case IConfigRestoreStateMachine::WriteStage::Written:
        return ResourceString(IDS_CONFIG_WRITTEN_NOT_RESTARTED);
    case IConfigRestoreStateMachine::WriteStage::NotBegun:
        break;
    }
    return QString();
}
} // namespace ConfigRestoreReport
