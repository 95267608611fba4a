#pragma once
// Debian's own MQTT broker and subscriber for the tests: mosquitto on a free loopback port, and
// mosquitto_sub printing every message as one line "RETAIN TOPIC HEXPAYLOAD". Both end with
// their QProcess.
#include "EventLoop.h"
#include <QProcess>
#include <QTcpSocket>
#include <vector>

struct MqttMessage {
    bool retained;
    QString topic;
    QByteArray payload;
};

class CMqttBroker {
public:
    quint16 Port() const { return m_port; }
    QString Address() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }

    // Starts the broker (again, on the same port; loopback only, nothing kept on disk) and waits
    // until it accepts connections.
    bool Start()
    {
        const auto accepts = [this]() {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, m_port);
            return socket.waitForConnected(200);
        };
        m_broker.waitForFinished(5000);
        m_broker.start(QStringLiteral("/usr/sbin/mosquitto"), {QStringLiteral("-p"), QString::number(m_port)});
        return m_broker.waitForStarted(10000) && RunEventsUntil(accepts, 10000);
    }
    // Ends it at once, as a broker that crashes.
    void Kill() { m_broker.kill(); }

private:
    QProcess m_broker;
    quint16 m_port = FreePort();
};

class CMqttSubscriber {
public:
    CMqttSubscriber(const CMqttBroker& broker, const QStringList& topics)
    {
        QStringList args {"-h", "127.0.0.1", "-p", QString::number(broker.Port()), "-F", "%r %t %x"};
        for (const QString& topic : topics)
            args << "-t" << topic;
        m_process.start(QStringLiteral("/usr/bin/mosquitto_sub"), args);
        m_process.waitForStarted(10000);
    }
    // Every message so far.
    const std::vector<MqttMessage>& Messages()
    {
        while (m_process.canReadLine()) {
            const QList<QByteArray> parts = m_process.readLine().trimmed().split(' ');
            if (parts.size() >= 2)
                m_messages.push_back({parts[0] == "1", QString::fromUtf8(parts[1]),
                    parts.size() > 2 ? QByteArray::fromHex(parts[2]) : QByteArray()});
        }
        return m_messages;
    }
    // Runs the event loop until a message on `topic` (from the `from`-th on) has `payload`
    // (any payload when null); answers its index, or -1.
    int WaitFor(const QString& topic, const QByteArray& payload = {}, std::size_t from = 0)
    {
        int found = -1;
        const auto seen = [&]() {
            for (std::size_t i = from; i < Messages().size() && found < 0; ++i)
                if (m_messages[i].topic == topic && (payload.isNull() || m_messages[i].payload == payload))
                    found = static_cast<int>(i);
            return found >= 0;
        };
        RunEventsUntil(seen, 20000);
        return found;
    }

private:
    QProcess m_process;
    std::vector<MqttMessage> m_messages;
};
