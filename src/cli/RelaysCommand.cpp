#include "cli/CommandRegistry.h"
#include "cli/OperateReadings.h"
#include "cli/OperateSession.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include "operate/OperateStateMachineInterface.h"
#include "operate/OperateStringIds.h"
#include "operate/RelayBanks.h"
#include <optional>

namespace {
constexpr CCliArg kArguments[] = {
    CliArg::Option("--cap", "PF", "set the capacitors to the capacitance nearest below PF picofarads"),
    CliArg::Option("--ind", "NH", "set the inductors to the inductance nearest below NH nanohenries"),
};
using RelayBanks::Bank;

// The relays nearest below the value typed, as on the page; nothing when the text is no value.
bool ReadRelays(CCliContext& context, const QString& option, const QString& text, Bank bank, std::optional<BYTE>* out)
{
    bool ok = false;
    const qulonglong value = text.toULongLong(&ok);
    if (!ok || value > RelayBanks::MaximumValue(bank)) {
        context.Err(FormatResource(IDS_OP_CLI_RELAY_RANGE, option, RelayBanks::MaximumValue(bank)));
        return false;
    }
    *out = RelayBanks::Greedy(bank, static_cast<unsigned>(value));
    return true;
}

int RunRelays(CCliContext& context, const CCliArguments& arguments)
{
    std::optional<BYTE> capacitors;
    std::optional<BYTE> inductors;
    if (arguments.Has("--cap")
        && !ReadRelays(context, QStringLiteral("--cap"), arguments.Value("--cap"), Bank::Capacitors, &capacitors))
        return ExitUsage;
    if (arguments.Has("--ind")
        && !ReadRelays(context, QStringLiteral("--ind"), arguments.Value("--ind"), Bank::Inductors, &inductors))
        return ExitUsage;
    COperateSession session(context);
    if (const int opened = session.Open(); opened != ExitSuccess)
        return opened;
    CModel& model = context.Model();
    if (!capacitors && !inductors) {
        const DWORD result = session.RunCycle();
        if (result != 0)
            return context.ReportFailure(result);
        context.Out(OperateReadings::RelaysLine(model));
        return ExitSuccess;
    }
    QStringList requested;
    if (capacitors)
        requested << FormatResource(
            IDS_OP_CLI_CAPACITORS_REQUESTED, *capacitors, RelayBanks::Value(Bank::Capacitors, *capacitors));
    if (inductors)
        requested << FormatResource(
            IDS_OP_CLI_INDUCTORS_REQUESTED, *inductors, RelayBanks::Value(Bank::Inductors, *inductors));
    const int status = session.RequestAndReadBack(
        [&](IOperateStateMachine& machine) {
            if (capacitors)
                machine.SetCapacitors(*capacitors);
            if (inductors)
                machine.SetInductors(*inductors);
        },
        true, requested);
    if (status != ExitSuccess)
        return status;
    context.Out(OperateReadings::RelaysLine(model));
    if ((capacitors && model.m_capacitors.m_value != *capacitors)
        || (inductors && model.m_inductors.m_value != *inductors))
        return context.ReportFailure(Result::RequestNotTaken);
    return ExitSuccess;
}
} // namespace

QRO_CLI_COMMAND("relays", kArguments,
    "show the tuner's relays, or set them to the capacitance (pF) and inductance (nH) nearest below", RunRelays);
