#include "model/RemotePortName.h"

namespace {
const QString kRawPrefix = QStringLiteral("socket://");
const QString kRfc2217Prefix = QStringLiteral("rfc2217://");
} // namespace

RemoteProtocol RemoteProtocolOf(const QString& name)
{
    if (name.startsWith(kRawPrefix, Qt::CaseInsensitive))
        return RemoteProtocol::RawTcp;
    if (name.startsWith(kRfc2217Prefix, Qt::CaseInsensitive))
        return RemoteProtocol::Rfc2217;
    return RemoteProtocol::None;
}

bool ParseRemotePortName(const QString& name, CRemoteAddress* address)
{
    const RemoteProtocol protocol = RemoteProtocolOf(name);
    if (protocol == RemoteProtocol::None)
        return false;
    const QString rest = name.mid(protocol == RemoteProtocol::RawTcp ? kRawPrefix.size() : kRfc2217Prefix.size());
    QString host;
    QString port;
    if (rest.startsWith('[')) {
        const qsizetype close = rest.indexOf(']');
        if (close < 0 || rest.mid(close + 1, 1) != QLatin1String(":"))
            return false;
        host = rest.mid(1, close - 1);
        port = rest.mid(close + 2);
    } else {
        const qsizetype colon = rest.lastIndexOf(':');
        if (colon < 0)
            return false;
        host = rest.left(colon);
        port = rest.mid(colon + 1);
        if (host.contains(':'))
            return false; // an IPv6 address needs its brackets
    }
    for (QChar c : host)
        if (c.isSpace() || c == '/' || c == '[' || c == ']' || c == '@')
            return false;
    bool digits = !port.isEmpty() && port.size() <= 5;
    for (QChar c : port)
        digits = digits && c >= '0' && c <= '9';
    const uint number = digits ? port.toUInt() : 0;
    if (host.isEmpty() || number == 0 || number > 65535)
        return false;
    address->protocol = protocol;
    address->host = host;
    address->port = static_cast<quint16>(number);
    return true;
}

QString HostAndPort(const CRemoteAddress& address)
{
    const QString host = address.host.contains(':') ? QStringLiteral("[%1]").arg(address.host) : address.host;
    return QStringLiteral("%1:%2").arg(host).arg(address.port);
}
