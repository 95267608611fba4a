#pragma once
#include "model/EventHost.h"
#include "station/mqtt/MqttConnection.h"
#include "station/mqtt/MqttTopics.h"
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <optional>

class CStationPoll;

// The station server's MQTT endpoint: after every poll cycle it publishes each current reading
// that changed, or that has not been published for kRefreshMs, under PREFIX/SERIAL/NAME; a
// reading the cycle did not bring is not published at all. PREFIX/SERIAL/availability says
// "online" while the readings are current and "offline" otherwise (and, as the last will,
// when the server vanishes); every connection starts with it and Home Assistant's discovery
// configs, all retained. With control, "on" or "off" on PREFIX/SERIAL/power/set switches the
// amplifier through the poll.
//
// The broker learns nothing before the amplifier's serial number is known: the topics and the
// last will carry it.
class CMqttEndpoint {
public:
    struct Options {
        CMqttConnection::Settings broker;
        QString prefix = QStringLiteral("qro4000");
        QString discoveryPrefix = QStringLiteral("homeassistant");
        bool control = false;
    };
    static constexpr std::uint64_t kRefreshMs = 30000;

    CMqttEndpoint(IEventHost& host, CStationPoll& poll, Options options, std::function<void(const QString&)> log);
    ~CMqttEndpoint();
    CMqttEndpoint(const CMqttEndpoint&) = delete;
    CMqttEndpoint& operator=(const CMqttEndpoint&) = delete;

    void Start();
    // Publishes "offline" and disconnects.
    void Stop();

private:
    struct Sent {
        QByteArray payload;
        std::uint64_t at = 0;
    };

    void Cycle();
    void Connected();
    void Received(const QByteArray& topic, const QByteArray& payload, bool retained);
    void PublishAvailability(bool force);
    void PublishReadings(bool afterConnecting);

    IEventHost& m_host;
    CStationPoll& m_poll;
    Options m_options;
    std::function<void(const QString&)> m_log;
    CMqttConnection m_connection;
    MqttTopics::Device m_device;
    int m_subscription = 0;
    bool m_started = false;
    std::optional<bool> m_online; // what availability last said on this connection
    std::map<QByteArray, Sent> m_sent; // by topic, on this connection
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
