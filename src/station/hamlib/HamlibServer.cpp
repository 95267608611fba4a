#include "station/hamlib/HamlibServer.h"
#include "model/StringTable.h"
#include "station/hamlib/HamlibSession.h"
#include "station/hamlib/HamlibStringIds.h"
#include <QTcpSocket>
#include <algorithm>

CHamlibServer::CHamlibServer(
    CStationPoll& poll, CLineArbiter* rawArbiter, const CAllowList& allow, std::function<void(const QString&)> log)
    : m_poll(poll)
    , m_rawArbiter(rawArbiter)
    , m_allow(allow)
    , m_log(std::move(log))
{
    connect(&m_server, &QTcpServer::newConnection, this, &CHamlibServer::OnNewConnection);
}

CHamlibServer::~CHamlibServer()
{
    Close();
}

bool CHamlibServer::Listen(const CListenAddress& address)
{
    if (!m_server.listen(address.address, address.port))
        return false;
    m_address = FormatListenAddress({address.address, m_server.serverPort()});
    return true;
}

void CHamlibServer::Close()
{
    m_server.close();
    const std::vector<CHamlibSession*> sessions = m_sessions;
    for (CHamlibSession* session : sessions)
        session->Close();
}

void CHamlibServer::OnNewConnection()
{
    while (QTcpSocket* pending = m_server.nextPendingConnection()) {
        std::unique_ptr<QTcpSocket> socket(pending);
        socket->setParent(nullptr);
        const QString peer = QStringLiteral("%1:%2").arg(socket->peerAddress().toString()).arg(socket->peerPort());
        unsigned refusal = 0;
        if (!IsAllowed(m_allow, socket->peerAddress()))
            refusal = IDS_HAMLIB_CLIENT_REFUSED;
        else if (m_sessions.size() >= kMaxClients)
            refusal = IDS_HAMLIB_TOO_MANY_CLIENTS;
        if (refusal != 0) {
            if (m_log)
                m_log(FormatResource(refusal, peer, static_cast<unsigned>(kMaxClients)));
            socket->abort();
            continue;
        }
        auto* session = new CHamlibSession(std::move(socket), m_poll, m_rawArbiter, m_log);
        session->setParent(this);
        m_sessions.push_back(session);
        connect(session, &CHamlibSession::Finished, this, &CHamlibServer::OnFinished);
        if (m_log)
            m_log(FormatResource(IDS_HAMLIB_CLIENT_CONNECTED, session->Name()));
    }
}

void CHamlibServer::OnFinished(CHamlibSession* session)
{
    const auto it = std::find(m_sessions.begin(), m_sessions.end(), session);
    if (it == m_sessions.end())
        return;
    m_sessions.erase(it);
    if (m_log)
        m_log(FormatResource(IDS_HAMLIB_CLIENT_LEFT, session->Name()));
    session->deleteLater();
}
