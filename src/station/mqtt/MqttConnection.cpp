#include "station/mqtt/MqttConnection.h"
#include "model/StringTable.h"
#include "station/mqtt/MqttStringIds.h"
#include <QHostAddress>
#include <QHostInfo>
#include <QSocketNotifier>
#include <cerrno>
#include <cstring>
#include <mosquitto.h>
#include <mutex>

namespace {
std::once_flag g_libraryReady;

QString ErrorText(int rc, int error)
{
    if (rc == MOSQ_ERR_ERRNO)
        return QString::fromLocal8Bit(std::strerror(error));
    if (rc == MOSQ_ERR_KEEPALIVE)
        return ResourceString(IDS_MQTT_SILENT);
    return QString::fromUtf8(mosquitto_strerror(rc));
}
} // namespace

CMqttConnection::CMqttConnection(Settings settings, Log log)
    : m_settings(std::move(settings))
    , m_log(std::move(log))
{
    std::call_once(g_libraryReady, []() { mosquitto_lib_init(); });
    // A client id of the library's making and a clean session: the broker keeps nothing for
    // this client between connections, so a broker never replays old power commands.
    m_mosq = mosquitto_new(nullptr, true, this);
    mosquitto_connect_callback_set(m_mosq, &CMqttConnection::ConnectCallback);
    mosquitto_message_callback_set(m_mosq, &CMqttConnection::MessageCallback);
    if (!m_settings.user.isEmpty())
        mosquitto_username_pw_set(m_mosq, m_settings.user.toUtf8().constData(),
            m_settings.password.isEmpty() ? nullptr : m_settings.password.toUtf8().constData());
    m_retry.setSingleShot(true);
    QObject::connect(&m_retry, &QTimer::timeout, [this]() { Connect(); });
    // A broker that takes the TCP connection but never answers (stopped, overloaded) is given
    // up like one that refuses it.
    m_answer.setSingleShot(true);
    QObject::connect(&m_answer, &QTimer::timeout, [this]() {
        if (!m_isConnected)
            Dropped(ErrorText(MOSQ_ERR_KEEPALIVE, 0));
    });
    // The library's keep-alive: pings the broker and finds a broker that stopped answering.
    QObject::connect(&m_misc, &QTimer::timeout, [this]() {
        if (mosquitto_socket(m_mosq) >= 0)
            AfterStep(mosquitto_loop_misc(m_mosq));
    });
}

CMqttConnection::~CMqttConnection()
{
    Stop();
    mosquitto_destroy(m_mosq);
}

QString CMqttConnection::Address() const
{
    return m_settings.host.contains(QLatin1Char(':'))
        ? QStringLiteral("[%1]:%2").arg(m_settings.host).arg(m_settings.port)
        : QStringLiteral("%1:%2").arg(m_settings.host).arg(m_settings.port);
}

void CMqttConnection::Start(const QByteArray& willTopic, const QByteArray& willPayload)
{
    Stop();
    mosquitto_will_set(
        m_mosq, willTopic.constData(), static_cast<int>(willPayload.size()), willPayload.constData(), 1, true);
    m_running = true;
    m_retryS = kFirstRetryS;
    m_wasConnected = false;
    Connect();
}

void CMqttConnection::Stop()
{
    m_running = false;
    m_retry.stop();
    m_answer.stop();
    m_misc.stop();
    if (mosquitto_socket(m_mosq) >= 0) {
        mosquitto_disconnect(m_mosq);
        // The socket is not blocking: what it takes now goes, the rest is left behind.
        mosquitto_loop_write(m_mosq, 1);
    }
    Unwatch();
    m_isConnected = false;
}

void CMqttConnection::Connect()
{
    if (!m_running)
        return;
    Unwatch();
    m_isConnected = false;
    m_refused.clear();
    // The library looks names up with a call that blocks; Qt looks them up on a thread of its
    // own, so that a slow name server never holds the station server up.
    if (QHostAddress().setAddress(m_settings.host)) {
        ConnectTo(m_settings.host);
        return;
    }
    QHostInfo::lookupHost(m_settings.host, m_context.get(), [this](const QHostInfo& info) {
        if (!m_running)
            return;
        if (info.error() != QHostInfo::NoError || info.addresses().isEmpty())
            Dropped(info.errorString());
        else
            ConnectTo(info.addresses().constFirst().toString());
    });
}

void CMqttConnection::ConnectTo(const QString& address)
{
    // Non-blocking: the TCP connection and the broker's answer arrive through the notifiers.
    const int rc = mosquitto_connect_async(m_mosq, address.toUtf8().constData(), m_settings.port, kKeepAliveS);
    const int error = errno;
    if (rc != MOSQ_ERR_SUCCESS) {
        Dropped(ErrorText(rc, error));
        return;
    }
    m_answer.start(kAnswerMs);
    Watch();
}

void CMqttConnection::Watch()
{
    const int fd = mosquitto_socket(m_mosq);
    if (fd < 0) {
        Dropped(ErrorText(MOSQ_ERR_NO_CONN, 0));
        return;
    }
    m_read = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    m_write = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
    QObject::connect(
        m_read.get(), &QSocketNotifier::activated, [this]() { AfterStep(mosquitto_loop_read(m_mosq, 1)); });
    QObject::connect(
        m_write.get(), &QSocketNotifier::activated, [this]() { AfterStep(mosquitto_loop_write(m_mosq, 1)); });
    m_write->setEnabled(mosquitto_want_write(m_mosq));
    m_misc.start(1000);
}

void CMqttConnection::Unwatch()
{
    // A notifier may be the one whose signal is being handled: it goes once that has returned.
    for (std::unique_ptr<QSocketNotifier>* notifier : {&m_read, &m_write})
        if (*notifier) {
            (*notifier)->setEnabled(false);
            notifier->release()->deleteLater();
        }
}

void CMqttConnection::AfterStep(int rc)
{
    const int error = errno;
    if (!m_running)
        return;
    if (rc != MOSQ_ERR_SUCCESS || mosquitto_socket(m_mosq) < 0) {
        Dropped(!m_refused.isEmpty()     ? m_refused
                : rc == MOSQ_ERR_SUCCESS ? ErrorText(MOSQ_ERR_CONN_LOST, 0)
                                         : ErrorText(rc, error));
        return;
    }
    if (m_write)
        m_write->setEnabled(mosquitto_want_write(m_mosq));
}

void CMqttConnection::Dropped(const QString& reason)
{
    Unwatch();
    m_answer.stop();
    m_misc.stop();
    // The socket is closed and the session's leftovers are dropped before the next attempt.
    if (mosquitto_socket(m_mosq) >= 0)
        mosquitto_disconnect(m_mosq);
    m_isConnected = false;
    if (!m_running)
        return;
    m_log(FormatResource(m_wasConnected ? IDS_MQTT_LOST : IDS_MQTT_UNREACHABLE, Address(), reason, unsigned(m_retryS)));
    m_wasConnected = false;
    m_retry.start(m_retryS * 1000);
    m_retryS = std::min(m_retryS * 2, kLastRetryS);
}

bool CMqttConnection::Backlogged() const
{
    return mosquitto_want_write(m_mosq);
}

bool CMqttConnection::Publish(const QByteArray& topic, const QByteArray& payload, bool retain)
{
    if (!m_isConnected)
        return false;
    const int rc = mosquitto_publish(
        m_mosq, nullptr, topic.constData(), static_cast<int>(payload.size()), payload.constData(), 0, retain);
    if (m_write)
        m_write->setEnabled(mosquitto_want_write(m_mosq));
    return rc == MOSQ_ERR_SUCCESS;
}

bool CMqttConnection::Subscribe(const QByteArray& topic)
{
    if (!m_isConnected)
        return false;
    const int rc = mosquitto_subscribe(m_mosq, nullptr, topic.constData(), 0);
    if (m_write)
        m_write->setEnabled(mosquitto_want_write(m_mosq));
    return rc == MOSQ_ERR_SUCCESS;
}

void CMqttConnection::ConnectCallback(mosquitto*, void* self, int rc)
{
    auto* connection = static_cast<CMqttConnection*>(self);
    if (rc != 0) {
        // Refused (a wrong password, a client not allowed): the library closes the socket.
        connection->m_refused = QString::fromUtf8(mosquitto_connack_string(rc));
        return;
    }
    connection->m_answer.stop();
    connection->m_isConnected = true;
    connection->m_wasConnected = true;
    connection->m_retryS = kFirstRetryS;
    if (connection->m_connected)
        connection->m_connected();
}

void CMqttConnection::MessageCallback(mosquitto*, void* self, const struct mosquitto_message* message)
{
    auto* connection = static_cast<CMqttConnection*>(self);
    if (!connection->m_message || !message->topic)
        return;
    connection->m_message(QByteArray(message->topic),
        QByteArray(static_cast<const char*>(message->payload), message->payloadlen), message->retain);
}
