#pragma once
#include "station/ListenAddress.h"
#include <QObject>
#include <QTcpServer>
#include <functional>
#include <vector>

class CHamlibSession;
class CLineArbiter;
class CStationPoll;

// The Hamlib endpoint: Hamlib's amplifier protocol (ampctld) on one address, a session per
// client, every one of them reading the server's poll. Connections from outside the allowed
// ranges, and beyond kMaxClients, are refused and logged.
class CHamlibServer : public QObject {
    Q_OBJECT
public:
    static constexpr std::size_t kMaxClients = 32;

    // `rawArbiter`: the line raw commands ("w") go to; null refuses them.
    CHamlibServer(
        CStationPoll& poll, CLineArbiter* rawArbiter, const CAllowList& allow, std::function<void(const QString&)> log);
    ~CHamlibServer() override;

    // False (with the reason in ErrorText) when the address cannot be bound.
    bool Listen(const CListenAddress& address);
    QString ErrorText() const { return m_server.errorString(); }
    QString Address() const { return m_address; }
    void Close();

private:
    void OnNewConnection();
    void OnFinished(CHamlibSession* session);

    CStationPoll& m_poll;
    CLineArbiter* m_rawArbiter;
    CAllowList m_allow;
    std::function<void(const QString&)> m_log;
    QTcpServer m_server;
    QString m_address;
    std::vector<CHamlibSession*> m_sessions;
};
