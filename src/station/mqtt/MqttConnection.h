#pragma once
#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

struct mosquitto;
class QSocketNotifier;

// One connection to an MQTT broker through libmosquitto, driven from the Qt event loop of the
// thread that owns it: socket notifiers call the library's read and write steps and a timer
// its keep-alive step, so every callback (and everything a callback touches: the station
// poll, the log) runs on this thread without locks, and stopping never waits for a thread.
// A connection that fails or drops is tried again after 1 s, then twice as long each time up
// to 30 s, for as long as the server runs.
//
// Nothing waits here for a broker: messages go out only while connected, at QoS 0 (the latest
// value is published again anyway), so the library keeps no queue of its own, and Backlogged
// tells whoever publishes that the socket has not taken the last messages yet.
class CMqttConnection {
public:
    struct Settings {
        QString host;
        quint16 port = 1883;
        QString user; // empty: no user name and no password
        QString password;
    };
    using Log = std::function<void(const QString&)>;

    CMqttConnection(Settings settings, Log log);
    ~CMqttConnection();
    CMqttConnection(const CMqttConnection&) = delete;
    CMqttConnection& operator=(const CMqttConnection&) = delete;

    // After every connection the broker accepted, before anything else is read.
    void OnConnected(std::function<void()> handler) { m_connected = std::move(handler); }
    void OnMessage(std::function<void(const QByteArray& topic, const QByteArray& payload, bool retained)> handler)
    {
        m_message = std::move(handler);
    }

    // Connects (again, if connected) with this retained last will.
    void Start(const QByteArray& willTopic, const QByteArray& willPayload);
    // Disconnects cleanly: the broker does not publish the will.
    void Stop();

    bool IsConnected() const { return m_isConnected; }
    bool Backlogged() const;
    bool Publish(const QByteArray& topic, const QByteArray& payload, bool retain);
    bool Subscribe(const QByteArray& topic);
    // HOST:PORT, for the log.
    QString Address() const;

    static constexpr int kFirstRetryS = 1;
    static constexpr int kLastRetryS = 30;
    static constexpr int kKeepAliveS = 30;
    static constexpr int kAnswerMs = 10000; // from the TCP connection to the broker's CONNACK

private:
    static void ConnectCallback(mosquitto*, void* self, int rc);
    static void MessageCallback(mosquitto*, void* self, const struct mosquitto_message* message);

    void Connect();
    void ConnectTo(const QString& address);
    void Watch();
    void AfterStep(int rc);
    void Dropped(const QString& reason);
    void Unwatch();

    Settings m_settings;
    Log m_log;
    mosquitto* m_mosq = nullptr;
    std::unique_ptr<QSocketNotifier> m_read, m_write;
    QTimer m_retry, m_misc, m_answer;
    std::unique_ptr<QObject> m_context = std::make_unique<QObject>(); // ends name look-ups with this
    int m_retryS = kFirstRetryS;
    bool m_running = false;
    bool m_isConnected = false;
    bool m_wasConnected = false; // since the last drop: "lost" rather than "cannot reach"
    QString m_refused; // the broker's reason when it refused the last connection
    std::function<void()> m_connected;
    std::function<void(const QByteArray&, const QByteArray&, bool)> m_message;
};
