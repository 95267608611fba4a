#pragma once
#include "station/LineArbiter.h"
#include "station/ListenAddress.h"
#include <QObject>
#include <QTcpServer>
#include <functional>
#include <vector>

class CShareSession;

// The sharing endpoint: RFC 2217 (Telnet with the COM-PORT-OPTION) on one address, a session
// per client, every one of them a client of the same arbiter. Connections from outside the
// allowed ranges are refused and logged.
class CShareServer : public QObject {
    Q_OBJECT
public:
    CShareServer(CLineArbiter& arbiter, const CAllowList& allow, std::function<void(const QString&)> log);
    ~CShareServer() override;

    // False (with the reason in ErrorText) when the address cannot be bound.
    bool Listen(const CListenAddress& address);
    QString ErrorText() const { return m_server.errorString(); }
    // The address clients use: HOST:PORT.
    QString Address() const { return m_address; }
    std::size_t ClientCount() const { return m_sessions.size(); }
    // Closes every connection and stops listening.
    void Close();

    // The signature text for a client that sees `lease` (None: the line is free for it).
    QString Signature(LineLease lease) const;

private:
    void OnNewConnection();
    void OnFinished(CShareSession* session);

    CLineArbiter& m_arbiter;
    CAllowList m_allow;
    std::function<void(const QString&)> m_log;
    QTcpServer m_server;
    QString m_address;
    std::vector<CShareSession*> m_sessions;
};
