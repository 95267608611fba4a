#include "cli/CommandRegistry.h"
#include "cli/OperateSession.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include "operate/OperateStateMachineInterface.h"
#include "operate/OperateStringIds.h"
#include <QStringList>

namespace {
constexpr CCliArg kArguments[] = {
    CliArg::Arguments("KEY", "the key's name (\"atu mode\" may be two words)"),
};

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

int RunPress(CCliContext& context, const CCliArguments& arguments)
{
    // "atu mode" may come as two words.
    const QString word = arguments.Positional().join(QLatin1Char(' '));
    const OperateKey key = word.isEmpty() ? OperateKey::Count : OperateKeys::KeyFromText(word);
    if (key == OperateKey::Count) {
        if (!word.isEmpty())
            context.Err(FormatResource(IDS_OP_CLI_UNKNOWN_KEY, word, KeyList()));
        return CliUsageError(context, "press");
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
    "press", kArguments, "press a front-panel key (ANTENNA, ATU-TUNE, MODE, UP, ...) and show the result", RunPress);
