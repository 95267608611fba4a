#include "cli/CliContext.h"
#include "cli/CliStringIds.h"
#include "cli/CommandRegistry.h"
#include "link/DestructiveCommands.h"
#include "model/StringTable.h"

namespace {
constexpr CCliArg kArguments[] = {
    CliArg::Argument("TEXT", "sent as it is: no \";\" is added"),
    CliArg::Option("--wait", "MS", "how long to collect the answer (default 500 ms)"),
};

int RunSend(CCliContext& context, const CCliArguments& arguments)
{
    const QString text = arguments.Positional(0);
    DWORD waitMs = 500;
    if (arguments.Has("--wait")) {
        bool ok = false;
        waitMs = arguments.Value("--wait").toUInt(&ok);
        if (!ok) {
            context.Err(QStringLiteral("--wait needs a number of milliseconds"));
            return ExitUsage;
        }
    }
    if (text.isEmpty())
        return CliUsageError(context, "send");
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

QRO_CLI_COMMAND("send", kArguments, "send TEXT unchanged and print what the amplifier answers", RunSend);
