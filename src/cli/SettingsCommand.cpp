#include "cli/CommandRegistry.h"
#include "cli/ConfigCommonCommand.h"
#include "model/StringTable.h"
#include "settings/EditConfigStateMachine.h"
#include "settings/SettingsModel.h"
#include "settings/SettingsProfile.h"
#include "settings/SettingsStringIds.h"
#include "settings/SettingsText.h"
#include <QStringList>
#include <map>

namespace {
constexpr CCliArg kShowArguments[] = {
    CliArg::Flag("--json", "as a settings profile"),
};
constexpr CCliArg kSetArguments[] = {
    CliArg::Option("--from", "FILE", "the values of a settings profile; NAME=VALUE given too wins"),
    CliArg::Arguments("NAME=VALUE...", "a setting and its new value"),
};

int Usage(CCliContext& context)
{
    return CliUsageError(context, "settings set");
}

QString NameOf(SettingId id)
{
    return QString::fromLatin1(SettingsTable::Info(id).name);
}

QString TextOf(const SettingValue& value, SettingId id)
{
    return SettingsText::Format(SettingsTable::Info(id), value);
}

// Connects and reads every setting into the model; answers the machine (released by the
// caller) or reports the failure and answers nullptr with the exit status in `exit`.
CEditConfigStateMachine* ReadSettings(CCliContext& context, int* exit)
{
    const DWORD contact = context.Connect();
    if (contact != 0) {
        *exit = context.ReportFailure(contact);
        return nullptr;
    }
    auto* machine = context.Model().CreateMachine<CEditConfigStateMachine>();
    if (!machine) {
        *exit = context.ReportFailure(Result::IoPending);
        return nullptr;
    }
    DWORD result = 0;
    {
        ConfigCli::CProgressBar bar(context, ResourceString(IDS_SETTINGS_CLI_READING), *machine);
        machine->StartRead();
        result = context.RunUntilIdle(*machine);
    }
    if (result != 0) {
        *exit = context.ReportFailure(result);
        machine->Release();
        return nullptr;
    }
    return machine;
}

int PrintSettings(CCliContext& context)
{
    int exit = ExitSuccess;
    CEditConfigStateMachine* machine = ReadSettings(context, &exit);
    if (!machine)
        return exit;
    const CModel& model = context.Model();
    SettingsProfile::Values values;
    for (const SettingInfo& info : SettingsTable::All()) {
        // An optional setting the amplifier did not answer has no value to show or carry.
        if (!machine->WasAnswered(info.id)) {
            context.Err(QStringLiteral("%1: %2").arg(NameOf(info.id), ResourceString(IDS_SETTINGS_CLI_NO_ANSWER)));
            continue;
        }
        values.emplace_back(info.id, SettingsModel::Current(model, info.id));
    }
    machine->Release();
    if (context.GetOptions().json) {
        context.Out(QString::fromUtf8(SettingsProfile::ToJson(values)).trimmed());
        return ExitSuccess;
    }
    for (const auto& [id, value] : values)
        context.Out(QStringLiteral("%1=%2").arg(NameOf(id), TextOf(value, id)));
    return ExitSuccess;
}

int SetSettings(CCliContext& context, const CCliArguments& arguments)
{
    // Everything is read and checked before the amplifier is contacted: a refused value sends
    // nothing at all.
    std::map<SettingId, SettingValue> wanted;
    if (arguments.Has("--from")) {
        QString message;
        SettingsProfile::Values values;
        if (SettingsProfile::Load(arguments.Value("--from"), &values, &message) != 0) {
            context.Err(message);
            context.Err(ResourceString(IDS_SETTINGS_CLI_NOTHING_SENT));
            return ExitFailure;
        }
        for (const auto& [id, value] : values)
            wanted[id] = value;
    }
    for (const QString& text : arguments.Positional()) {
        QString message;
        std::pair<SettingId, SettingValue> assignment;
        if (!SettingsProfile::ParseAssignment(text, &assignment, &message)) {
            context.Err(message);
            context.Err(ResourceString(IDS_SETTINGS_CLI_NOTHING_SENT));
            return ExitUsage;
        }
        wanted[assignment.first] = assignment.second;
    }
    if (wanted.empty()) {
        context.Err(ResourceString(IDS_SETTINGS_CLI_NEEDS_ASSIGNMENTS));
        return Usage(context);
    }

    int exit = ExitSuccess;
    CEditConfigStateMachine* machine = ReadSettings(context, &exit);
    if (!machine)
        return exit;
    CModel& model = context.Model();
    std::map<SettingId, SettingValue> before;
    for (const auto& [id, value] : wanted) {
        before[id] = SettingsModel::Current(model, id);
        SettingsModel::SetPending(model, id, value);
    }
    if (!model.HasUnsavedChanges()) {
        machine->Release();
        context.Out(ResourceString(IDS_SETTINGS_NO_CHANGES));
        return ExitSuccess;
    }
    DWORD result = 0;
    {
        ConfigCli::CProgressBar bar(context, ResourceString(IDS_SETTINGS_CLI_WRITING), *machine);
        machine->StartWrite();
        result = context.RunUntilIdle(*machine);
    }
    const std::vector<SettingId> notTaken = machine->NotTaken();
    // A set that went out with nothing heard after it may or may not have been taken.
    const std::vector<SettingId> unknown = result != 0 ? machine->Unconfirmed() : std::vector<SettingId> {};
    machine->Release();

    bool changed = false;
    for (const auto& [id, old] : before) {
        const SettingValue now = SettingsModel::Current(model, id);
        if (now == old)
            continue;
        changed = true;
        context.Out(FormatResource(IDS_SETTINGS_CLI_CHANGED, NameOf(id), TextOf(old, id), TextOf(now, id)));
    }
    for (SettingId id : notTaken)
        context.Err(
            FormatResource(IDS_SETTINGS_CLI_NOT_TAKEN, NameOf(id), TextOf(SettingsModel::Current(model, id), id)));
    for (SettingId id : unknown)
        context.Err(FormatResource(IDS_SETTINGS_CLI_UNKNOWN, NameOf(id)));
    if (!changed && unknown.empty())
        context.Out(ResourceString(IDS_SETTINGS_CLI_UNCHANGED));
    return result == 0 ? ExitSuccess : context.ReportFailure(result);
}

int RunSettings(CCliContext& context, const CCliArguments&)
{
    return PrintSettings(context);
}
} // namespace

QRO_CLI_COMMAND("settings", kShowArguments, "show the amplifier's settings (--json: as a profile)", RunSettings);
QRO_CLI_COMMAND("settings set", kSetArguments, "change settings, checked before anything is sent", SetSettings);
