#include "cli/CommandRegistry.h"
#include "cli/ConfigCommonCommand.h"
#include "config/ConfigFileReader.h"
#include "config/ConfigImage.h"
#include "config/ConfigStringIds.h"
#include "link/EepromBlock.h"
#include "model/ErrorText.h"
#include "model/StringTable.h"
#include <QJsonDocument>
#include <QJsonObject>

namespace {
constexpr CCliArg kArguments[] = {
    CliArg::Argument("FILE", "the configuration file"),
};

int RunCheckConfig(CCliContext& context, const CCliArguments& arguments)
{
    const QString fileName = arguments.Positional(0);
    // No amplifier: the serial number line is read for display only.
    CConfigImage image;
    QString message;
    CConfigFileInfo info;
    const DWORD result = ReadConfigFile(fileName, kNoSerialNumber, &image, &message, &info);

    if (context.GetOptions().json) {
        QJsonObject o {{"file", fileName}, {"valid", result == 0}, {"result", QString::asprintf("0x%08X", result)},
            {"message", message}, {"savedOn", info.savedOn}, {"utilityRevision", info.utilityRevision},
            {"firmwareRevision", info.firmwareRevision}, {"serialNumber", info.serialNumber},
            {"memoryLines", static_cast<qint64>(info.dataLines)}, {"memoryBytes", static_cast<qint64>(info.dataBytes)},
            {"crc", QString::asprintf("0x%08X", info.crcRead)}};
        context.Out(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
        return result == 0 ? ExitSuccess : ExitFailure;
    }
    if (result != 0) {
        context.OnStatusLine(IStatusSink::Kind::Status, message);
        context.Err(FormatResource(IDS_CONFIG_CLI_INVALID, fileName));
        context.Err(ErrorCodeLine(result));
        return ExitFailure;
    }
    context.Out(FormatResource(IDS_CONFIG_CLI_FILE, fileName));
    context.Out(FormatResource(IDS_CONFIG_CLI_FORMAT_OK, info.crcRead));
    if (!info.savedOn.isEmpty())
        context.Out(FormatResource(IDS_CONFIG_CLI_SAVED_ON, info.savedOn));
    context.Out(FormatResource(IDS_CONFIG_CLI_UTILITY_REVISION, info.utilityRevision));
    context.Out(FormatResource(IDS_CONFIG_CLI_FIRMWARE_REVISION, info.firmwareRevision));
    if (info.serialNumber >= 0)
        context.Out(FormatResource(IDS_CONFIG_CLI_SERIAL, info.serialNumber));
    else
        context.Out(ResourceString(IDS_CONFIG_CLI_NO_SERIAL));
    context.Out(FormatResource(IDS_CONFIG_CLI_MEMORY, info.dataLines, info.dataBytes));
    if (image.PresentCount() != Eeprom::kSize)
        context.Out(FormatResource(IDS_CONFIG_CLI_COVERAGE, image.PresentCount(), Eeprom::kSize));
    return ExitSuccess;
}
} // namespace

QRO_CLI_COMMAND("check-config", kArguments,
    "check a configuration file without an amplifier: format, CRC, serial number, revisions", RunCheckConfig);
