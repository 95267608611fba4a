#include "station/mqtt/MqttEndpoint.h"
#include "model/ErrorText.h"
#include "model/StringTable.h"
#include "model/Types.h"
#include "station/StationPoll.h"
#include "station/mqtt/MqttStringIds.h"

namespace {
const QByteArray kOnline = QByteArrayLiteral("online");
const QByteArray kOffline = QByteArrayLiteral("offline");
} // namespace

CMqttEndpoint::CMqttEndpoint(
    IEventHost& host, CStationPoll& poll, Options options, std::function<void(const QString&)> log)
    : m_host(host)
    , m_poll(poll)
    , m_options(std::move(options))
    , m_log(std::move(log))
    , m_connection(m_options.broker, m_log)
{
    m_device.prefix = m_options.prefix;
    m_device.discoveryPrefix = m_options.discoveryPrefix;
    m_device.control = m_options.control;
    m_connection.OnConnected([this]() { Connected(); });
    m_connection.OnMessage([this](const QByteArray& topic, const QByteArray& payload, bool retained) {
        Received(topic, payload, retained);
    });
}

CMqttEndpoint::~CMqttEndpoint()
{
    *m_alive = false;
    Stop();
}

void CMqttEndpoint::Start()
{
    if (m_started)
        return;
    m_started = true;
    m_subscription = m_poll.Subscribe([this]() { Cycle(); });
    m_log(FormatResource(IDS_MQTT_STARTING, m_connection.Address()));
    Cycle();
}

void CMqttEndpoint::Stop()
{
    if (!m_started)
        return;
    m_started = false;
    m_poll.Unsubscribe(m_subscription);
    if (m_connection.IsConnected())
        m_connection.Publish(MqttTopics::Topic(m_device, "availability"), kOffline, true);
    m_connection.Stop();
}

void CMqttEndpoint::Cycle()
{
    const unsigned serial = m_poll.SerialNumber();
    if (serial == kNoSerialNumber || serial == 0)
        return;
    const QString serialText = MqttTopics::SerialText(serial);
    if (serialText != m_device.serial) {
        // Another amplifier on the port (or the first one found): its own topics and will.
        if (!m_device.serial.isEmpty()) {
            if (m_connection.IsConnected())
                m_connection.Publish(MqttTopics::Topic(m_device, "availability"), kOffline, true);
            m_log(FormatResource(IDS_MQTT_OTHER_AMPLIFIER, serialText, m_device.prefix, serialText));
        }
        m_device.serial = serialText;
        m_device.firmwareRevision = m_poll.FirmwareRevision();
        m_connection.Start(MqttTopics::Topic(m_device, "availability"), kOffline);
        return;
    }
    if (!m_connection.IsConnected())
        return;
    PublishAvailability(false);
    PublishReadings(false);
}

void CMqttEndpoint::Connected()
{
    m_log(FormatResource(IDS_MQTT_CONNECTED, m_connection.Address(), m_device.prefix, m_device.serial));
    m_sent.clear();
    m_online.reset();
    for (const MqttTopics::Message& config : MqttTopics::DiscoveryConfigs(m_device))
        m_connection.Publish(config.topic, config.payload, true);
    if (m_options.control)
        m_connection.Subscribe(MqttTopics::Topic(m_device, "power/set"));
    PublishAvailability(true);
    // Behind the configs, but one round only: every reading once.
    PublishReadings(true);
}

void CMqttEndpoint::PublishAvailability(bool force)
{
    const bool online = m_poll.Fresh();
    if (!force && m_online == online)
        return;
    if (m_connection.Publish(MqttTopics::Topic(m_device, "availability"), online ? kOnline : kOffline, true))
        m_online = online;
}

void CMqttEndpoint::PublishReadings(bool afterConnecting)
{
    // Readings that are not current are not published; a socket that has not taken the last
    // cycle's messages gets none of this one's, so nothing piles up behind a slow broker: the
    // next cycle publishes what is then the latest.
    if (!m_poll.Fresh() || (m_connection.Backlogged() && !afterConnecting))
        return;
    const std::uint64_t now = m_host.TickCount();
    for (const auto& [name, value] : MqttTopics::Values(m_poll.Readings())) {
        const QByteArray topic = MqttTopics::Topic(m_device, name);
        const auto it = m_sent.find(topic);
        if (it != m_sent.end() && it->second.payload == value && now - it->second.at < kRefreshMs)
            continue;
        if (m_connection.Publish(topic, value, false))
            m_sent[topic] = {value, now};
    }
}

void CMqttEndpoint::Received(const QByteArray& topic, const QByteArray& payload, bool retained)
{
    if (!m_options.control || topic != MqttTopics::Topic(m_device, "power/set"))
        return;
    const QString where = QString::fromUtf8(topic);
    // A retained command would switch the amplifier again at every connection, long after
    // whoever sent it has forgotten it.
    if (retained) {
        m_log(FormatResource(IDS_MQTT_SET_RETAINED, MqttTopics::Printable(payload), where));
        return;
    }
    const std::optional<bool> on = MqttTopics::ParsePowerCommand(payload);
    if (!on) {
        m_log(FormatResource(IDS_MQTT_SET_IGNORED, MqttTopics::Printable(payload), where));
        return;
    }
    const QString state = QString::fromLatin1(*on ? "on" : "off");
    m_log(FormatResource(IDS_MQTT_SET_POWER, state, where));
    m_poll.SetPower(*on, [this, alive = m_alive, state, where](DWORD result) {
        if (!*alive)
            return;
        if (result == 0)
            m_log(FormatResource(IDS_MQTT_SET_DONE, state, where));
        else
            m_log(FormatResource(IDS_MQTT_SET_FAILED, state, where, GetErrorText(result)));
    });
}
