#include "cli/CommandRegistry.h"
#include "cli/OperateSession.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include "operate/OperateStateMachineInterface.h"
#include "operate/OperateStringIds.h"
#include <QStringList>

namespace {
constexpr char kUsage[] = "press KEY";

QString KeyList()
{
    QStringList names;
    for (int index = 0; index < OperateKeys::kKeyCount; ++index) {
        const auto key = static_cast<OperateKey>(index);
        if (key != OperateKey::Band && key != OperateKey::AtuStore)
            names << OperateKeys::Name(key);
    }
    return names.join(QStringLiteral(", "));
}

int RunPress(CCliContext& context, const QStringList& arguments)
{
    // "atu mode" may come as two words.
    const QString word = arguments.join(QLatin1Char(' '));
    const OperateKey key = arguments.isEmpty() ? OperateKey::Count : OperateKeys::KeyFromText(word);
    if (key == OperateKey::Count) {
        if (!arguments.isEmpty())
            context.Err(FormatResource(IDS_OP_CLI_UNKNOWN_KEY, word, KeyList()));
        context.Err(QStringLiteral("usage: qro4000 %1").arg(QLatin1String(kUsage)));
        return ExitUsage;
    }
    if (key == OperateKey::AtuStore) {
        context.Err(ResourceString(IDS_OP_COMMAND_UNSUPPORTED));
        return context.ReportFailure(Result::CommandNotKnown);
    }
    COperateSession session(context);
    if (const int opened = session.Open(); opened != ExitSuccess)
        return opened;
    return session.RequestAndReadBack([key](IOperateStateMachine& machine) { PressKey(machine, key); }, true,
        {FormatResource(IDS_OP_CLI_KEY_SENT, OperateKeys::Name(key))});
}
} // namespace

QRO_CLI_COMMAND(
    "press", kUsage, "press a front-panel key (ANTENNA, ATU-TUNE, MODE, UP, ...) and show the result", RunPress);
