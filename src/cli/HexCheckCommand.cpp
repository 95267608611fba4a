#include "cli/CliContext.h"
#include "cli/CliStringIds.h"
#include "cli/CommandRegistry.h"
#include "firmware/FirmwareImage.h"
#include "firmware/FirmwareStringIds.h"
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include <QJsonDocument>
#include <QJsonObject>

namespace {
constexpr CCliArg kArguments[] = {
    CliArg::Argument("FILE", "the Intel HEX firmware file"),
};

int RunHexCheck(CCliContext& context, const CCliArguments& arguments)
{
    const QString fileName = arguments.Positional(0);
    CFirmwareImage image;
    const bool valid = image.LoadForLoader(fileName);
    // A file with nothing for the firmware window parses; its figures show why it is refused.
    const bool parsed = valid || image.LastError() == Result::NoFirmwareData;
    const CIntelHexReader::Statistics& stats = image.Stats();
    const DWORD usedLength = valid ? image.UsedLength() : 0;
    const DWORD outside = stats.dataBytes - stats.bytesInWindow;
    const QString error = valid ? QString() : image.ErrorText();

    if (context.GetOptions().json) {
        QJsonObject o {{"file", fileName}, {"valid", valid}};
        if (parsed) {
            o.insert("records", static_cast<qint64>(stats.records));
            o.insert("dataBytes", static_cast<qint64>(stats.dataBytes));
            if (stats.dataBytes) {
                o.insert("lowestAddress", static_cast<qint64>(stats.lowestAddress));
                o.insert("highestAddress", static_cast<qint64>(stats.highestAddress));
            }
            o.insert("bytesInWindow", static_cast<qint64>(stats.bytesInWindow));
            o.insert("ignoredBytes", static_cast<qint64>(outside));
        }
        if (valid) {
            o.insert("usedSize", static_cast<qint64>(usedLength));
            o.insert("packets", static_cast<qint64>(usedLength / 512));
        } else {
            o.insert("errorLine", static_cast<qint64>(image.ErrorLine()));
            o.insert("errorCode", QStringLiteral("0x%1").arg(image.LastError(), 8, 16, QChar('0')).toUpper());
            o.insert("error", error);
        }
        context.Out(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
        return valid ? ExitSuccess : ExitFailure;
    }

    context.Out(FormatResource(IDS_FW_CLI_HEX_FILE, fileName));
    if (parsed) {
        context.Out(FormatResource(IDS_FW_CLI_HEX_VALID, stats.records, stats.dataBytes));
        if (stats.dataBytes)
            context.Out(FormatResource(IDS_FW_CLI_HEX_RANGE, stats.lowestAddress, stats.highestAddress));
        else
            context.Out(ResourceString(IDS_FW_CLI_HEX_NO_DATA));
        context.Out(FormatResource(IDS_CLI_HEX_INSIDE_OUTSIDE, stats.bytesInWindow, outside));
    }
    if (!valid) {
        context.Err(error);
        if (!parsed)
            context.Out(ResourceString(IDS_FW_CLI_HEX_INVALID));
        return ExitFailure;
    }
    context.Out(FormatResource(IDS_FW_CLI_HEX_USED, usedLength, usedLength / 512, CFirmwareImage::kLoaderLow,
        CFirmwareImage::kLoaderHigh - 1));
    return ExitSuccess;
}
} // namespace

QRO_CLI_COMMAND("hex-check", kArguments,
    "check an Intel HEX firmware file: address range, used size, or the line of the first error", RunHexCheck);
