#include "link/ports/PortList.h"
#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStringList>
#include <algorithm>
#include <climits>

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

bool IsPortNameTooLong(const QString& name)
{
    const QStringList parts = name.split(QLatin1Char('/'));
    return name.size() >= PATH_MAX
        || std::any_of(parts.begin(), parts.end(), [](const QString& part) { return part.size() > NAME_MAX; });
}

QString ShortPortName(const QString& name)
{
    constexpr qsizetype kHead = 40;
    constexpr qsizetype kTail = 20;
    if (name.size() <= kHead + kTail + 3)
        return name;
    return name.left(kHead) + QStringLiteral("...") + name.right(kTail);
}
