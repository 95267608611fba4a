#include "cli/CommandRegistry.h"
#include "cli/ConfigCommonCommand.h"
#include "cli/MaintenanceCli.h"
#include "maintenance/FaultTableReader.h"
#include "maintenance/MaintenanceStringIds.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <vector>

namespace {
constexpr CCliArg kArguments[] = {
    CliArg::Flag("--json", "one JSON object per entry"),
};

struct CReadEntry {
    unsigned slot;
    CFaultEntry entry;
};

QJsonObject ToJson(const CReadEntry& e)
{
    QJsonObject o {{"slot", static_cast<int>(e.slot)}, {"timeStamp", e.entry.TimeStamp()},
        {"code", static_cast<int>(e.entry.Code())}, {"name", FaultLog::FaultName(e.entry.Code())},
        {"detail", e.entry.Detail().trimmed()}};
    for (const CFaultEntry::Field& field : e.entry.Fields())
        o.insert(field.name, field.value);
    return o;
}

int RunFaults(CCliContext& context, const CCliArguments&)
{
    int exitStatus = ExitFailure;
    if (!MaintenanceCli::ConnectToApplication(context, Result::BootLoaderNoFaultLog, &exitStatus))
        return exitStatus;

    std::vector<CReadEntry> entries;
    DWORD result = Result::IoPending;
    CFaultTableReader reader(
        context.Model(),
        [&entries](unsigned slot, const CFaultEntry& entry) {
            entries.push_back({slot, entry});
        },
        [&result](DWORD end) { result = end; });
    if (!reader.Start()) {
        MaintenanceCli::IsMade(context, nullptr, &exitStatus);
        return exitStatus;
    }
    {
        ConfigCli::CProgressBar bar(context, ResourceString(IDS_FAULT_CLI_READING), *reader.Machine());
        context.RunUntilIdle(*reader.Machine());
    }

    // What was read is shown even when the reading stopped part way.
    if (context.GetOptions().json) {
        QJsonArray list;
        for (const CReadEntry& e : entries)
            list.append(ToJson(e));
        context.Out(QString::fromUtf8(QJsonDocument(list).toJson(QJsonDocument::Indented)).trimmed());
    } else {
        for (const CReadEntry& e : entries)
            context.Out(e.entry.Line(e.slot).chopped(2));
    }
    if (result == Result::FaultLogIndexOutOfRange)
        context.Err(FormatResource(IDS_FAULT_INDEX_OUT_OF_RANGE, unsigned(reader.StoredIndex())));
    if (result != 0)
        return context.ReportFailure(result);
    context.Err(entries.empty() ? ResourceString(IDS_FAULT_EMPTY)
                                : FormatResource(IDS_FAULT_CLI_SUMMARY, unsigned(entries.size()), reader.SlotsRead(),
                                    unsigned(reader.StoredIndex())));
    return ExitSuccess;
}
} // namespace

QRO_CLI_COMMAND("faults", kArguments,
    "read the amplifier's fault log and list it, newest first (--json: one object per entry)", RunFaults);
