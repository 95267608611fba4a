#include "operate/follow/RadioFollowing.h"
#include "model/StringTable.h"
#include "operate/follow/FollowStringIds.h"

namespace {
std::optional<quint16> Port(const QString& text)
{
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port == 0 || port > 65535)
        return std::nullopt;
    return static_cast<quint16>(port);
}
} // namespace

std::optional<FollowSource> FollowSource::Rigctld(const QString& text)
{
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return std::nullopt;
    QString host = text.left(colon);
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    const auto port = Port(text.mid(colon + 1));
    if (!port || host.isEmpty() || host.contains(QLatin1Char(' ')))
        return std::nullopt;
    FollowSource source;
    source.kind = Kind::Rigctld;
    source.host = host;
    source.port = *port;
    return source;
}

std::optional<FollowSource> FollowSource::Udp(const QString& text)
{
    FollowSource source;
    source.kind = Kind::Udp;
    const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
    if (colon >= 0) {
        QString address = text.left(colon);
        if (address.startsWith(QLatin1Char('[')) && address.endsWith(QLatin1Char(']')))
            address = address.mid(1, address.size() - 2);
        if (!source.address.setAddress(address))
            return std::nullopt;
    }
    const auto port = Port(text.mid(colon + 1));
    if (!port)
        return std::nullopt;
    source.port = *port;
    return source;
}

std::optional<FollowSource> FollowSource::FromSetting(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return FollowSource {};
    if (t.startsWith(QLatin1String("rigctld ")))
        return Rigctld(t.mid(8).trimmed());
    if (t.startsWith(QLatin1String("udp ")))
        return Udp(t.mid(4).trimmed());
    return std::nullopt;
}

QString FollowSource::ToSetting() const
{
    switch (kind) {
    case Kind::Off:
        return {};
    case Kind::Rigctld:
        return QStringLiteral("rigctld %1:%2").arg(host).arg(port);
    case Kind::Udp:
        return address == QHostAddress(QHostAddress::LocalHost)
            ? QStringLiteral("udp %1").arg(port)
            : QStringLiteral("udp %1:%2").arg(address.toString()).arg(port);
    }
    return {};
}

CRadioFollowing::CRadioFollowing(const FollowSource& source, CBandFollower::Press press,
    CBandFollower::Withdraw withdraw, CBandFollower::Report report, std::function<bool(const QHostAddress&)> admit)
    : m_source(source)
    , m_follower(std::move(press), std::move(withdraw), report)
    , m_report(std::move(report))
    , m_admit(std::move(admit))
{
}

CRadioFollowing::~CRadioFollowing() = default;

bool CRadioFollowing::Start(QString* error)
{
    const auto radio = [this](qint64 hz, std::optional<bool> ptt) { m_follower.Radio(hz, ptt); };
    if (m_source.kind == FollowSource::Kind::Rigctld) {
        m_rigctld = std::make_unique<CRigctldSource>(
            m_source.host, m_source.port, radio, [this] { m_follower.RadioLost(); }, m_report);
        m_rigctld->Start();
        return true;
    }
    if (m_source.kind == FollowSource::Kind::Udp) {
        m_udp = std::make_unique<CRadioInfoListener>(radio, m_admit);
        const QString where = QStringLiteral("%1:%2").arg(m_source.address.toString()).arg(m_source.port);
        if (!m_udp->Listen(m_source.address, m_source.port)) {
            if (error)
                *error = FormatResource(IDS_FOLLOW_UDP_CANNOT_LISTEN, where, m_udp->ErrorText());
            m_udp.reset();
            return false;
        }
        m_report(FormatResource(IDS_FOLLOW_UDP_LISTENING, where));
    }
    return true;
}

quint16 CRadioFollowing::UdpPort() const
{
    return m_udp ? m_udp->Port() : 0;
}
