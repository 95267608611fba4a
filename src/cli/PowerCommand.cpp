#include "cli/CommandRegistry.h"
#include "cli/OperateSession.h"
#include "model/StringTable.h"
#include "operate/OperateStateMachineInterface.h"
#include "operate/OperateStringIds.h"

namespace {
constexpr CCliArg kArguments[] = {
    CliArg::Argument("on|off", "switch the amplifier on or off"),
};

int RunPower(CCliContext& context, const CCliArguments& arguments)
{
    const QString word = arguments.Positional(0).toLower();
    if (word != QLatin1String("on") && word != QLatin1String("off"))
        return CliUsageError(context, "power");
    const unsigned on = word == QLatin1String("on") ? 1 : 0;
    COperateSession session(context);
    if (const int opened = session.Open(); opened != ExitSuccess)
        return opened;
    context.Out(FormatResource(IDS_OP_CLI_POWER_REQUESTED, word));
    return session.RequestAndReadBack([on](IOperateStateMachine& machine) { machine.SetPowerStatus(on); }, false, {},
        [on](const CModel& model) { return (model.m_powerStatus.m_value != 0) == (on != 0); });
}
} // namespace

QRO_CLI_COMMAND("power", kArguments, "switch the amplifier on or off and show its state", RunPower);
