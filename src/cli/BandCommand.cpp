#include "cli/CommandRegistry.h"
#include "cli/OperateSession.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include "operate/OperateStateMachineInterface.h"
#include "operate/OperateStringIds.h"
#include <QStringList>

namespace {
constexpr char kUsage[] = "band MHZ";

int RunBand(CCliContext& context, const QStringList& arguments)
{
    const int band = arguments.size() == 1 ? OperateKeys::BandFromText(arguments[0]) : -1;
    if (band < 0) {
        if (arguments.size() == 1) {
            QStringList bands;
            for (int b = 0; b < OperateKeys::kBandCount; ++b)
                bands << OperateKeys::BandLabel(b);
            context.Err(FormatResource(IDS_OP_CLI_UNKNOWN_BAND, arguments[0], bands.join(QStringLiteral(", "))));
        }
        context.Err(QStringLiteral("usage: qro4000 %1").arg(QLatin1String(kUsage)));
        return ExitUsage;
    }
    // Refused before anything is sent: there is no command that would select this band.
    if (static_cast<DWORD>(band) == OperateKeys::kBand28) {
        context.Err(ResourceString(IDS_OP_BAND28_UNKNOWN));
        return context.ReportFailure(Result::CommandNotKnown);
    }
    COperateSession session(context);
    if (const int opened = session.Open(); opened != ExitSuccess)
        return opened;
    return session.RequestAndReadBack(
        [band](IOperateStateMachine& machine) { machine.SelectBand(static_cast<BYTE>(band)); }, true,
        {FormatResource(IDS_OP_CLI_BAND_SELECTED, OperateKeys::BandLabel(band))},
        [band](const CModel& model) { return model.m_band.m_value == band; });
}
} // namespace

QRO_CLI_COMMAND("band", kUsage, "select the band by its MHz (1.8, 3.5, 5, 7, 10, 14, 18, 21, 24, 50)", RunBand);
