#include "cli/CliContext.h"
#include "cli/CommandRegistry.h"
#include "model/DeviceName.h"
#include "model/RevisionText.h"
#include <QJsonDocument>
#include <QJsonObject>

namespace {
int RunInfo(CCliContext& context, const CCliArguments&)
{
    const DWORD result = context.Connect();
    if (result != 0)
        return context.ReportFailure(result);
    CModel& model = context.Model();
    const bool bootLoader = model.m_firmwareStatus.m_value == FirmwareBootLoader;
    const QString serial = model.m_serialNumber.m_value == kNoSerialNumber
                               ? QString()
                               : QStringLiteral("%1").arg(model.m_serialNumber.m_value, 5, 10, QChar('0'));
    if (context.GetOptions().json) {
        QJsonObject o{{"device", DeviceName(model.m_device.m_value)},
                      {"firmware", bootLoader ? "boot loader" : "application"},
                      {"revision", bootLoader ? QString() : RevisionText(model.m_firmwareRevision.m_value)},
                      {"serialNumber", serial},
                      {"port", context.PortName()},
                      {"speed", static_cast<qint64>(model.PortSpeed())}};
        context.Out(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
        return ExitSuccess;
    }
    context.Out(QStringLiteral("Device:         %1").arg(DeviceName(model.m_device.m_value)));
    if (bootLoader) {
        context.Out(QStringLiteral("Firmware:       boot loader waiting for firmware"));
    } else {
        context.Out(QStringLiteral("Revision:       %1").arg(RevisionText(model.m_firmwareRevision.m_value)));
        context.Out(QStringLiteral("Serial number:  %1").arg(serial.isEmpty() ? QStringLiteral("not read") : serial));
    }
    context.Out(QStringLiteral("Port:           %1").arg(context.PortName()));
    context.Out(QStringLiteral("Port speed:     %1 bit/s").arg(model.PortSpeed()));
    return ExitSuccess;
}
}  // namespace

QRO_CLI_COMMAND("info", {}, "find the amplifier and show its revision, serial number and speed", RunInfo);
