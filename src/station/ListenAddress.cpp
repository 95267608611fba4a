#include "station/ListenAddress.h"

bool ParseListenAddress(const QString& text, CListenAddress* out)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return false;
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    else if (host.contains(QLatin1Char(':')))
        return false; // an IPv6 address needs its brackets to tell it from the port
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    QHostAddress address;
    if (!ok || port > 65535 || !address.setAddress(host))
        return false;
    out->address = address;
    out->port = static_cast<quint16>(port);
    return true;
}

bool ParseAllowList(const QString& text, CAllowList* out)
{
    CAllowList list;
    for (const QString& part : text.split(QLatin1Char(','))) {
        const QString range = part.trimmed();
        if (range.isEmpty())
            return false;
        QPair<QHostAddress, int> subnet = QHostAddress::parseSubnet(range);
        if (subnet.first.isNull()) {
            // A bare address is a single host.
            QHostAddress host;
            if (range.contains(QLatin1Char('/')) || !host.setAddress(range))
                return false;
            subnet = {host, host.protocol() == QAbstractSocket::IPv6Protocol ? 128 : 32};
        }
        list.append(subnet);
    }
    *out = list;
    return !list.isEmpty();
}

bool IsAllowed(const CAllowList& allow, const QHostAddress& peer)
{
    if (allow.isEmpty())
        return true;
    // A client on IPv4 reaching an IPv6 socket shows as ::ffff:a.b.c.d.
    bool mapped = false;
    const QHostAddress v4(peer.toIPv4Address(&mapped));
    for (const auto& range : allow)
        if (peer.isInSubnet(range) || (mapped && v4.isInSubnet(range)))
            return true;
    return false;
}

QString FormatListenAddress(const CListenAddress& address)
{
    const QString host = address.address.protocol() == QAbstractSocket::IPv6Protocol
        ? QStringLiteral("[%1]").arg(address.address.toString())
        : address.address.toString();
    return QStringLiteral("%1:%2").arg(host).arg(address.port);
}
