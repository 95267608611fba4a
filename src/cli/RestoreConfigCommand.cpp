#include "cli/CommandRegistry.h"
#include "cli/ConfigCommonCommand.h"
#include "config/ConfigFileReader.h"
#include "config/ConfigImage.h"
#include "config/ConfigRestoreReport.h"
#include "config/ConfigRestoreStateMachine.h"
#include "config/ConfigStringIds.h"
#include "config/LinkSummary.h"
#include "model/StringTable.h"

namespace {
constexpr CCliArg kArguments[] = {
    CliArg::Argument("FILE", "the configuration file to write into the amplifier"),
};

int RunRestoreConfig(CCliContext& context, const CCliArguments& arguments)
{
    const QString fileName = arguments.Positional(0);

    // The whole file is read and checked before the amplifier is looked for: a missing or
    // damaged file fails at once, not after the search. The text is kept, so the file the
    // amplifier receives is the one that was checked.
    QString message;
    QByteArray text;
    DWORD read = ReadConfigText(fileName, &text, &message);
    if (read == 0) {
        CConfigImage checked;
        read = ParseConfigText(text, kNoSerialNumber, &checked, &message);
    }
    if (read != 0) {
        context.OnStatusLine(IStatusSink::Kind::Status, message);
        return context.ReportFailure(read);
    }

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
    CConfigFileInfo info;
    read = LoadConfigText(text, model.m_serialNumber.m_value, *machine, &message, &info);
    if (read != 0) {
        machine->Release();
        context.OnStatusLine(IStatusSink::Kind::Status, message);
        return context.ReportFailure(read);
    }
    for (const QString& line : ConfigRestoreReport::Summary(fileName, info, model.m_serialNumber.m_value, *machine))
        context.Out(line);
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
    const QString aftermath = ConfigRestoreReport::Aftermath(*machine, result);
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
    const int exitCode = context.ReportFailure(result);
    if (!aftermath.isEmpty())
        context.ShowMessage(IUserPrompt::Icon::Warning, ResourceString(IDS_CRITICAL_OPERATION), aftermath);
    return exitCode;
}
} // namespace

QRO_CLI_COMMAND("restore-config", kArguments,
    "check FILE, show what it will write and, once confirmed, write it into the amplifier", RunRestoreConfig);
