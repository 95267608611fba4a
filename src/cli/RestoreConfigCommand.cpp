#include "cli/CommandRegistry.h"
#include "cli/ConfigCommonCommand.h"
#include "config/ConfigFileReader.h"
#include "config/ConfigRestoreStateMachine.h"
#include "config/ConfigStringIds.h"
#include "config/LinkSummary.h"
#include "model/StringTable.h"

namespace {
constexpr char kUsage[] = "restore-config FILE";

void ShowWhatWillBeWritten(CCliContext& context, const CConfigRestoreStateMachine& machine, const CConfigFileInfo& info)
{
    const WORD amplifier = context.Model().m_serialNumber.m_value;
    if (amplifier == kNoSerialNumber)
        context.Out(ResourceString(IDS_CONFIG_CLI_AMPLIFIER_HAS_NO_SERIAL));
    else if (info.serialNumber < 0)
        context.Out(ResourceString(IDS_CONFIG_CLI_FILE_HAS_NO_SERIAL));
    else if (machine.SerialMismatch())
        context.Out(FormatResource(IDS_CONFIG_CLI_SERIALS_DIFFER, info.serialNumber, amplifier));
    else
        context.Out(FormatResource(IDS_CONFIG_CLI_SERIALS_MATCH, amplifier));
    context.Out(FormatResource(IDS_CONFIG_CLI_WILL_WRITE, machine.TotalBytes(), machine.RecordCount()));
}

int RunRestoreConfig(CCliContext& context, const QStringList& arguments)
{
    if (arguments.size() != 1 || arguments[0].startsWith('-'))
        return ConfigCli::Usage(context, kUsage);
    const QString fileName = arguments[0];
    // The serial number of the amplifier decides which regions are written.
    const DWORD contact = context.Connect();
    if (contact != 0)
        return context.ReportFailure(contact);
    CModel& model = context.Model();
    auto* machine = model.CreateMachine<CConfigRestoreStateMachine>();
    if (!machine) {
        context.Err(ResourceString(IDS_CONFIG_BUSY));
        return ExitFailure;
    }

    // The whole file is checked before anything is written.
    QString message;
    CConfigFileInfo info;
    const DWORD read = LoadConfigFile(fileName, model.m_serialNumber.m_value, *machine, &message, &info);
    if (read != 0) {
        machine->Release();
        context.OnStatusLine(IStatusSink::Kind::Status, message);
        return context.ReportFailure(read);
    }
    ShowWhatWillBeWritten(context, *machine, info);
    if (!context.AskYesNo(IUserPrompt::Icon::Question, ResourceString(IDS_CONFIG_RESTORE_CAPTION),
            ResourceString(IDS_CONFIG_CLI_CONFIRM))) {
        machine->Release();
        context.Err(ResourceString(IDS_CONFIG_CLI_NOT_CONFIRMED));
        return ExitFailure;
    }

    DWORD result = 0;
    {
        ConfigCli::CProgressBar bar(context, ResourceString(IDS_CONFIG_RESTORING), *machine);
        machine->Start();
        result = context.RunUntilIdle(*machine);
    }
    const QString readBack = LinkSummary::RestoreLine(machine->Link());
    machine->Release();
    if (result == 0) {
        context.Out(ResourceString(IDS_CONFIG_RESTORED));
        if (!readBack.isEmpty())
            context.Out(readBack);
        return ExitSuccess;
    }
    if (!readBack.isEmpty())
        context.Err(readBack);
    if (result == Result::Cancelled) {
        context.Err(ResourceString(IDS_RESTORE_CANCELLED));
        context.ShowMessage(IUserPrompt::Icon::Warning, ResourceString(IDS_CRITICAL_OPERATION),
            ResourceString(IDS_RESTORE_CANCELLED_POWER_CYCLE));
        return ExitInterrupted;
    }
    context.Err(ResourceString(IDS_RESTORE_FAILED));
    return context.ReportFailure(result);
}
} // namespace

QRO_CLI_COMMAND("restore-config", kUsage,
    "check FILE, show what it will write and, once confirmed, write it into the amplifier", RunRestoreConfig);
