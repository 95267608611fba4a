#include "link/PortList.h"
#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>

std::vector<CPortInfo> ListSerialPorts()
{
    std::vector<CPortInfo> ports;
    // Stable names of USB adapters: /dev/serial/by-id/<vendor_product_serial> -> ../../ttyUSB0
    QHash<QString, QString> byId;
    const QDir idDir(QStringLiteral("/dev/serial/by-id"));
    if (idDir.exists()) {
        for (const QFileInfo& link : idDir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot))
            byId.insert(QFileInfo(link.symLinkTarget()).fileName(), link.absoluteFilePath());
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString name = info.portName();
        if (name.isEmpty() || name.compare(QLatin1String("winachsf0"), Qt::CaseInsensitive) == 0)
            continue;
        CPortInfo port;
        port.name = name;
        port.description = info.description();
        if (!info.manufacturer().isEmpty() && !port.description.contains(info.manufacturer()))
            port.description = port.description.isEmpty() ? info.manufacturer()
                                                           : port.description + QStringLiteral(" (") + info.manufacturer() + ')';
        port.stableName = byId.value(name);
        ports.push_back(port);
    }
    return ports;
}
