#include "cli/CommandRegistry.h"
#include "cli/ConfigCommonCommand.h"
#include "cli/MaintenanceCli.h"
#include "maintenance/ClockText.h"
#include "maintenance/DateTimeStateMachine.h"
#include "maintenance/MaintenanceStringIds.h"
#include "model/StringTable.h"
#include <QJsonDocument>
#include <QJsonObject>

namespace {
constexpr CCliArg kArguments[] = {
    CliArg::Flag("--set", "set the amplifier's clock from the PC's"),
    CliArg::Flag("--local", "with --set: the PC's local time"),
    CliArg::Flag("--utc", "with --set: UTC (default: the program's date and time setting)"),
};

// Takes the PC's clock at the moment the amplifier's answer arrives, so that the difference
// is not stretched by the pause that ends the machine.
class CAnswerMoment : public IEventSink {
public:
    CAnswerMoment(CModel& model, bool utc)
        : m_model(model)
        , m_utc(utc)
    {
        m_model.m_amplifierTime.AddObserver(this);
    }
    ~CAnswerMoment() { m_model.m_amplifierTime.RemoveObserver(this); }
    void OnEvent(std::uint32_t, std::uintptr_t, std::intptr_t) override { computer = ClockText::ComputerTime(m_utc); }
    SYSTEMTIME computer;

private:
    CModel& m_model;
    bool m_utc;
};

QString DifferenceText(const std::optional<qint64>& seconds)
{
    return seconds ? ClockText::DifferenceText(seconds) : ResourceString(IDS_DT_CLI_UNKNOWN);
}

int RunClock(CCliContext& context, const CCliArguments& arguments)
{
    const bool set = arguments.Has("--set");
    if (arguments.Has("--utc") && arguments.Has("--local"))
        return CliUsageError(context, "clock", QStringLiteral("--local and --utc exclude each other"));
    // -1: the "DateTimeUtc" setting
    const int mode = arguments.Has("--utc") ? 1 : arguments.Has("--local") ? 0 : -1;
    if (mode >= 0 && !set)
        return CliUsageError(context, "clock", QStringLiteral("--local and --utc go with --set"));

    int exitStatus = ExitFailure;
    if (!MaintenanceCli::ConnectToApplication(context, Result::BootLoaderNoClock, &exitStatus))
        return exitStatus;
    CModel& model = context.Model();
    const bool utc = mode >= 0 ? mode == 1 : model.m_dateTimeUtc.m_value != 0;
    const QString modeText = ResourceString(utc ? IDS_DT_MODE_UTC : IDS_DT_MODE_LOCAL);
    auto* machine = model.CreateMachine<CDateTimeStateMachine>();
    if (!MaintenanceCli::IsMade(context, machine, &exitStatus))
        return exitStatus;

    DWORD result = 0;
    if (set) {
        model.m_computerTime.Set(ClockText::ComputerTime(utc));
        machine->StartSetDateTime();
        result = context.RunUntilIdle(*machine);
        if (result != 0)
            return context.ReportFailure(result);
        if (!context.GetOptions().json)
            context.Out(FormatResource(IDS_DT_CLI_SENT, ClockText::Format(model.m_computerTime.m_value), modeText));
    }
    // The clock is read back after a set, so the user sees that the amplifier took it.
    CAnswerMoment moment(model, utc);
    machine->StartGetDateTime();
    result = context.RunUntilIdle(*machine);
    if (result != 0)
        return context.ReportFailure(result);
    const SYSTEMTIME amplifier = model.m_amplifierTime.m_value;
    const auto difference = ClockText::DifferenceSeconds(amplifier, moment.computer);
    if (context.GetOptions().json) {
        QJsonObject o {{"amplifier", ClockText::Format(amplifier)}, {"computer", ClockText::Format(moment.computer)},
            {"utc", utc}};
        o.insert("differenceSeconds", difference ? QJsonValue(static_cast<double>(*difference)) : QJsonValue());
        if (set)
            o.insert("sent", ClockText::Format(model.m_computerTime.m_value));
        context.Out(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
        return ExitSuccess;
    }
    context.Out(FormatResource(IDS_DT_CLI_AMPLIFIER, ClockText::Format(amplifier)));
    context.Out(FormatResource(IDS_DT_CLI_COMPUTER, ClockText::Format(moment.computer), modeText));
    context.Out(FormatResource(IDS_DT_CLI_DIFFERENCE, DifferenceText(difference)));
    return ExitSuccess;
}
} // namespace

QRO_CLI_COMMAND("clock", kArguments,
    "show the amplifier's clock beside the PC's; --set sets it from the PC's (UTC or local time)", RunClock);
