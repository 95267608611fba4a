#include "cli/CommandRegistry.h"
#include "cli/ConfigCommonCommand.h"
#include "config/ConfigFileFormat.h"
#include "model/ConfigFolder.h"
#include "config/ConfigSaveCompletion.h"
#include "config/ConfigSaveStateMachine.h"
#include "config/ConfigStringIds.h"
#include "config/LinkSummary.h"
#include "model/FileChecks.h"
#include "model/StringTable.h"
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {
constexpr CCliArg kArguments[] = {
    CliArg::OptionalArgument("FILE", "the file, or the folder for the offered name (default: the configuration folder)"),
};

int RefuseDestination(CCliContext& context, DWORD code, const QString& message)
{
    context.OnStatusLine(IStatusSink::Kind::Status, message);
    context.Err(ResourceString(IDS_SAVE_FAILED));
    return context.ReportFailure(code);
}

int RunSaveConfig(CCliContext& context, const CCliArguments& arguments)
{
    // The time stamp of the file is when the save began, as in the program's dialog.
    const QDateTime timeStamp = QDateTime::currentDateTime();
    QString fileName = arguments.Positional(0);
    const bool toFolder = fileName.isEmpty() || QFileInfo(fileName).isDir();

    // The destination is checked before the amplifier is even looked for: a device, a FIFO or
    // an unwritable folder fails at once. A folder is probed with the name it will get, less
    // the serial number that only the amplifier can tell.
    QString message;
    const QString early = !toFolder ? fileName
                                    : QDir(fileName.isEmpty() ? ConfigFile::InitialFolder(context.Model()) : fileName)
                                          .filePath(ConfigFile::DefaultFileName(kNoSerialNumber, timeStamp));
    DWORD refused = FileChecks::CheckSaveDestination(early, &message);
    if (refused != 0)
        return RefuseDestination(context, refused, message);

    const DWORD contact = context.Connect();
    if (contact != 0)
        return context.ReportFailure(contact);
    CModel& model = context.Model();

    // No name, or a folder: the name the program's dialog offers, in that folder or in the
    // configuration folder.
    if (toFolder) {
        const QString folder = fileName.isEmpty() ? ConfigFile::InitialFolder(model) : fileName;
        fileName = QDir(folder).filePath(ConfigFile::DefaultFileName(model.m_serialNumber.m_value, timeStamp));
        refused = FileChecks::CheckSaveDestination(fileName, &message);
        if (refused != 0)
            return RefuseDestination(context, refused, message);
    }
    if (QFileInfo::exists(fileName)
        && !context.AskYesNo(IUserPrompt::Icon::Question, ResourceString(IDS_CONFIG_SAVE_CAPTION),
            FormatResource(IDS_CONFIG_CLI_FILE_EXISTS, fileName))) {
        context.Err(ResourceString(IDS_SAVE_CANCELLED));
        return ExitFailure;
    }

    auto* machine = model.CreateMachine<CConfigSaveStateMachine>();
    if (!machine) {
        context.Err(ResourceString(IDS_CONFIG_BUSY));
        return ExitFailure;
    }
    DWORD result = 0;
    {
        ConfigCli::CProgressBar bar(context, ResourceString(IDS_CONFIG_SAVING), *machine);
        machine->Start();
        result = context.RunUntilIdle(*machine);
    }
    result = CompleteConfigSave(model, *machine, result, fileName, timeStamp, &message);
    const QString confirmed = LinkSummary::SaveLine(machine->Link());
    machine->Release();
    if (result == Result::Cancelled) {
        context.Err(ResourceString(IDS_SAVE_CANCELLED));
        return ExitInterrupted;
    }
    if (result != 0) {
        if (!message.isEmpty())
            context.OnStatusLine(IStatusSink::Kind::Status, message);
        context.Err(ResourceString(IDS_SAVE_FAILED));
        return context.ReportFailure(result);
    }
    context.Out(ResourceString(IDS_CONFIG_SAVED));
    if (!confirmed.isEmpty())
        context.Out(confirmed);
    context.Out(FormatResource(IDS_CONFIG_CLI_SAVED_TO, QDir::toNativeSeparators(fileName)));
    return ExitSuccess;
}
} // namespace

QRO_CLI_COMMAND("save-config", kArguments,
    "read the amplifier's whole configuration into a file (default: the name the program offers)", RunSaveConfig);
