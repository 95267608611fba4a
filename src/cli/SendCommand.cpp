#include "cli/CliContext.h"
#include "cli/CliStringIds.h"
#include "cli/CommandRegistry.h"
#include "link/DestructiveCommands.h"
#include "model/StringTable.h"

namespace {
int RunSend(CCliContext& context, const QStringList& arguments)
{
    QString text;
    DWORD waitMs = 500;
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--wait" && i + 1 < arguments.size()) {
            bool ok = false;
            waitMs = arguments[++i].toUInt(&ok);
            if (!ok) {
                context.Err(QStringLiteral("--wait needs a number of milliseconds"));
                return ExitUsage;
            }
        } else if (text.isEmpty()) {
            text = arguments[i];
        } else {
            context.Err(QStringLiteral("usage: qro4000 send TEXT [--wait MS]"));
            return ExitUsage;
        }
    }
    if (text.isEmpty()) {
        context.Err(QStringLiteral("usage: qro4000 send TEXT [--wait MS]"));
        return ExitUsage;
    }
    // A text that cannot be undone is sent only after a yes: at the terminal, or --yes without one.
    if (const QString question = DestructiveCommands::Question(text); !question.isEmpty()
        && !context.AskYesNo(IUserPrompt::Icon::Warning, DestructiveCommands::Caption(), question)) {
        context.Err(ResourceString(IDS_CLI_NOT_SENT));
        return ExitFailure;
    }
    // Find the amplifier first so that the text goes out at the speed it listens at.
    const DWORD result = context.Connect();
    if (result != 0)
        return context.ReportFailure(result);
    CModel& model = context.Model();
    QByteArray received;
    model.Dispatcher().SetFallback([&]() {
        // Like the command tester: read what has arrived, 512 bytes at a time, until empty.
        BYTE buffer[512];
        DWORD count = 0;
        while (model.Port() && model.Port()->Read(buffer, sizeof buffer, &count) && count > 0)
            received.append(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(count));
    });
    // The text goes out unchanged: no ";" is added.
    if (!model.Port() || !model.Port()->WriteText(text))
        return context.ReportFailure(model.PortLastError());
    context.RunFor(waitMs);
    model.Dispatcher().SetFallback({});
    received.replace('\r', QByteArray());
    if (!received.isEmpty()) {
        const QString out = QString::fromLatin1(received);
        context.Out(out.endsWith('\n') ? out.chopped(1) : out);
    }
    return context.Interrupted() ? ExitInterrupted : ExitSuccess;
}
}  // namespace

QRO_CLI_COMMAND("send", "send TEXT [--wait MS]", "send TEXT unchanged and print what the amplifier answers", RunSend);
