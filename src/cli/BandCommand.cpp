#include "cli/CommandRegistry.h"
#include "cli/OperateSession.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include "operate/OperateStateMachineInterface.h"
#include "operate/OperateStringIds.h"
#include <QStringList>

namespace {
constexpr CCliArg kArguments[] = {
    CliArg::Argument("MHZ", "the band by its frequency in MHz: 1.8, 3.5, 5, 7, 10, 14, 18, 21, 24 or 50"),
};

int RunBand(CCliContext& context, const CCliArguments& arguments)
{
    const int band = OperateKeys::BandFromText(arguments.Positional(0));
    if (band < 0) {
        QStringList bands;
        for (int b = 0; b < OperateKeys::kBandCount; ++b)
            bands << OperateKeys::BandLabel(b);
        context.Err(FormatResource(IDS_OP_CLI_UNKNOWN_BAND, arguments.Positional(0), bands.join(QStringLiteral(", "))));
        return CliUsageError(context, "band");
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

QRO_CLI_COMMAND("band", kArguments, "select the band by its MHz (1.8, 3.5, 5, 7, 10, 14, 18, 21, 24, 50)", RunBand);
