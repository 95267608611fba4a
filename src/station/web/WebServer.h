#pragma once
// The browser panel: the amplifier's front panel served over HTTP with a WebSocket for the live
// readings and the requests. Everything it shows comes from the station server's own poll and
// everything it asks goes through it, so that a browser adds no traffic of its own. The page,
// its script and its style are compiled in: the panel works without the internet.
#include "model/Types.h"
#include "station/ListenAddress.h"
#include "station/web/WebControl.h"
#include <QAbstractHttpServer>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <map>
#include <memory>

class CStationPoll;
class IEventHost;
class QHttpServerResponse;
class QTcpServer;
class QWebSocket;

class CWebServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    struct Options {
        CListenAddress address;
        CAllowList allow; // empty: everyone (loopback only)
        QByteArray token;
        std::uint64_t watchdogMs = CWebControl::kDefaultSilenceMs; // 0: off
    };
    // More browsers than this are turned away: each one costs a push after every cycle.
    static constexpr std::size_t kMaxClients = 8;

    CWebServer(IEventHost& host, CStationPoll& poll, Options options, std::function<void(const QString&)> log);
    ~CWebServer() override;

    // False with the reason when the address cannot be bound.
    bool Listen(QString* error);
    // HOST:PORT as a browser writes it.
    QString Address() const;
    // Starts the pushes, pings and the watchdog (after the poll has started).
    void Start();
    void Close();

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Client {
        QWebSocket* socket = nullptr;
        QString name;
    };

    static void Answer(const QHttpServerRequest& request, QTcpSocket* socket, QHttpServerResponse&& response);
    bool Authorized(const QByteArray& authorization, const QString& queryToken, const QByteArray& cookies) const;
    void OnWebSocket();
    void OnMessage(int id, const QString& text);
    void OnLeft(int id);
    void Request(int id, const QString& what, std::function<void(std::function<void(DWORD)>)> ask);
    void Send(int id, const QJsonObject& message);
    void Push();
    void OnCycle();
    void Tick();
    QJsonObject Hello() const;
    QString ClientName(int id) const;

    IEventHost& m_host;
    CStationPoll& m_poll;
    Options m_options;
    std::function<void(const QString&)> m_log;
    QTcpServer* m_tcp = nullptr;
    CWebControl m_control;
    std::map<int, Client> m_clients;
    int m_nextClient = 1;
    int m_subscription = 0;
    QTimer m_tick;
    unsigned m_ticks = 0;
    std::uint64_t m_lastPush = 0;
    QString m_controllerName;
    // One point a second of the last 10 minutes: [ms since the epoch, forward W, SWR, °C].
    std::deque<QJsonArray> m_history;
    qint64 m_lastHistory = 0;
    bool m_newPoint = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
