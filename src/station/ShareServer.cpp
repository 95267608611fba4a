#include "station/ShareServer.h"
#include "model/StringTable.h"
#include "station/ShareSession.h"
#include "station/StationStringIds.h"
#include <QTcpSocket>
#include <algorithm>

CShareServer::CShareServer(CLineArbiter& arbiter, const CAllowList& allow, std::function<void(const QString&)> log)
    : m_arbiter(arbiter)
    , m_allow(allow)
    , m_log(std::move(log))
{
    connect(&m_server, &QTcpServer::newConnection, this, &CShareServer::OnNewConnection);
}

CShareServer::~CShareServer()
{
    Close();
}

bool CShareServer::Listen(const CListenAddress& address)
{
    if (!m_server.listen(address.address, address.port))
        return false;
    m_address = FormatListenAddress({address.address, m_server.serverPort()});
    return true;
}

void CShareServer::Close()
{
    m_server.close();
    // Each Close ends its session at once; the list is taken first since that changes it.
    const std::vector<CShareSession*> sessions = m_sessions;
    for (CShareSession* session : sessions)
        session->Close();
}

QString CShareServer::Signature(LineLease lease) const
{
    const QString name = FormatResource(IDS_STATION_SIGNATURE, m_address);
    switch (lease) {
    case LineLease::BootLoader:
        return name + QStringLiteral("; ") + ResourceString(IDS_STATION_BUSY_FIRMWARE);
    case LineLease::PowerCycle:
        return name + QStringLiteral("; ") + ResourceString(IDS_STATION_BUSY_POWER);
    case LineLease::None:
        break;
    }
    return name;
}

void CShareServer::OnNewConnection()
{
    while (QTcpSocket* pending = m_server.nextPendingConnection()) {
        std::unique_ptr<QTcpSocket> socket(pending);
        socket->setParent(nullptr);
        if (!IsAllowed(m_allow, socket->peerAddress())) {
            if (m_log)
                m_log(FormatResource(IDS_STATION_CLIENT_REFUSED,
                    QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort())));
            socket->abort();
            continue;
        }
        auto* session = new CShareSession(
            std::move(socket), m_arbiter, [this](LineLease lease) { return Signature(lease); }, m_log);
        session->setParent(this);
        m_sessions.push_back(session);
        connect(session, &CShareSession::Finished, this, &CShareServer::OnFinished);
        if (m_log)
            m_log(FormatResource(IDS_STATION_CLIENT_CONNECTED, session->Name()));
    }
}

void CShareServer::OnFinished(CShareSession* session)
{
    const auto it = std::find(m_sessions.begin(), m_sessions.end(), session);
    if (it == m_sessions.end())
        return;
    m_sessions.erase(it);
    if (m_log)
        m_log(FormatResource(IDS_STATION_CLIENT_LEFT, session->Name()));
    session->deleteLater();
}
