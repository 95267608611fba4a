#include "cli/CommandRegistry.h"
#include "cli/ConfigCommonCommand.h"
#include "config/ConfigDiff.h"
#include "config/ConfigFileReader.h"
#include "config/ConfigImage.h"
#include "config/ConfigRegions.h"
#include "config/ConfigStringIds.h"
#include "model/ErrorText.h"
#include "model/StringTable.h"

namespace {
constexpr CCliArg kArguments[] = {
    CliArg::Argument("FILE", "a configuration file"),
    CliArg::OptionalArgument("FILE2", "the file to compare it with (default: the amplifier)"),
    CliArg::Flag("--all", "compare every address, not only the restore regions"),
};
// As diff does: 0 the same, 1 different, 2 trouble.
constexpr int kDifferent = 1;
constexpr int kTrouble = 2;

int Trouble(CCliContext& context, DWORD code, const QString& message)
{
    if (!message.isEmpty())
        context.OnStatusLine(IStatusSink::Kind::Status, message);
    const int status = context.ReportFailure(code);
    return status == ExitInterrupted ? status : kTrouble;
}

int RunDiffConfig(CCliContext& context, const CCliArguments& arguments)
{
    const bool all = arguments.Has("--all");
    const QStringList& files = arguments.Positional();

    CConfigImage first;
    CConfigImage second;
    QString message;
    CConfigFileInfo firstInfo;
    bool mismatch = false;
    if (files.size() == 2) {
        DWORD result = ReadConfigFile(files[0], kNoSerialNumber, &first, &message, &firstInfo);
        if (result != 0)
            return Trouble(context, result, message);
        CConfigFileInfo secondInfo;
        result = ReadConfigFile(files[1], kNoSerialNumber, &second, &message, &secondInfo);
        if (result != 0)
            return Trouble(context, result, message);
        mismatch = firstInfo.serialNumber >= 0 && secondInfo.serialNumber >= 0
            && firstInfo.serialNumber != secondInfo.serialNumber;
    } else {
        // The file against the amplifier, read as a save reads it; the regions are those a
        // restore of the file into this amplifier would write. The file is checked before the
        // amplifier is looked for.
        QByteArray text;
        DWORD result = ReadConfigText(files[0], &text, &message);
        if (result == 0)
            result = ParseConfigText(text, kNoSerialNumber, &first, &message, &firstInfo);
        if (result != 0)
            return Trouble(context, result, message);
        const DWORD contact = context.Connect();
        if (contact != 0)
            return Trouble(context, contact, QString());
        first = CConfigImage();
        result = ParseConfigText(text, context.Model().m_serialNumber.m_value, &first, &message, &firstInfo);
        if (result != 0)
            return Trouble(context, result, message);
        mismatch = first.SerialMismatch();
        const DWORD read = ConfigCli::ReadAmplifier(context, second, ResourceString(IDS_CONFIG_CLI_READING));
        if (read != 0)
            return Trouble(context, read, QString());
    }

    const auto regions = all ? ConfigRegions::SaveRegions() : ConfigRegions::RestoreRegions(mismatch);
    const QString scope = ResourceString(all ? IDS_CONFIG_CLI_SCOPE_ALL
            : mismatch                       ? IDS_CONFIG_CLI_SCOPE_DIFFERING
                                             : IDS_CONFIG_CLI_SCOPE_MATCHING);
    const std::vector<CDifference> differences = CompareImages(first, second, regions);
    DWORD bytes = 0;
    for (const CDifference& d : differences) {
        context.Out(FormatResource(IDS_CONFIG_CLI_DIFF_RANGE, d.start, d.start + d.length - 1, d.length));
        bytes += d.length;
    }
    if (differences.empty()) {
        context.Out(FormatResource(IDS_CONFIG_CLI_DIFF_NONE, scope));
        return ExitSuccess;
    }
    context.Out(FormatResource(IDS_CONFIG_CLI_DIFF_SUMMARY, static_cast<unsigned>(differences.size()), bytes, scope));
    return kDifferent;
}
} // namespace

QRO_CLI_COMMAND("diff-config", kArguments,
    "list the address ranges where two files, or a file and the amplifier, differ "
    "(within the restore regions unless --all)",
    RunDiffConfig);
