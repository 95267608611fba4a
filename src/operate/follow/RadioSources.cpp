#include "operate/follow/RadioSources.h"
#include "model/StringTable.h"
#include "operate/follow/FollowStringIds.h"
#include "operate/follow/RadioInfo.h"
#include <QNetworkDatagram>
#include <QTcpSocket>
#include <QUdpSocket>
#include <algorithm>

CRigctldSource::CRigctldSource(
    const QString& host, quint16 port, RadioSources::Radio radio, RadioSources::Lost lost, RadioSources::Log log)
    : m_host(host)
    , m_port(port)
    , m_radio(std::move(radio))
    , m_lost(std::move(lost))
    , m_log(std::move(log))
{
    m_poll.setInterval(kPollMs);
    QObject::connect(&m_poll, &QTimer::timeout, [this] { Poll(); });
    m_retry.setSingleShot(true);
    QObject::connect(&m_retry, &QTimer::timeout, [this] { Connect(); });
    m_deadline.setSingleShot(true);
    QObject::connect(&m_deadline, &QTimer::timeout, [this] { Fail(FormatResource(IDS_FOLLOW_RIG_SILENT, static_cast<unsigned>(kAnswerMs))); });
}

CRigctldSource::~CRigctldSource()
{
    if (m_socket)
        m_socket->disconnect();
}

QString CRigctldSource::Name() const
{
    return m_host + QLatin1Char(':') + QString::number(m_port);
}

void CRigctldSource::Start()
{
    Connect();
    m_poll.start();
}

void CRigctldSource::Connect()
{
    if (m_socket) {
        m_socket->disconnect();
        m_socket->abort();
        m_socket.release()->deleteLater();
    }
    m_lines.clear();
    m_awaiting = false;
    m_connected = false;
    m_socket = std::make_unique<QTcpSocket>();
    QTcpSocket* socket = m_socket.get();
    QObject::connect(socket, &QTcpSocket::connected, socket, [this] {
        m_connected = true;
        m_log(FormatResource(IDS_FOLLOW_RIG_CONNECTED, Name()));
        Poll();
    });
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this] { Read(); });
    QObject::connect(socket, &QTcpSocket::errorOccurred, socket, [this, socket] { Fail(socket->errorString()); });
    socket->connectToHost(m_host, m_port);
}

void CRigctldSource::Poll()
{
    if (!m_connected || m_awaiting)
        return;
    m_awaiting = true;
    m_lines.clear();
    m_socket->write("f\nt\n");
    m_deadline.start(kAnswerMs);
}

void CRigctldSource::Read()
{
    while (m_socket && m_socket->canReadLine()) {
        const QByteArray line = m_socket->readLine(kMaxLine + 1).trimmed();
        if (!m_awaiting)
            continue; // nothing asked: not ours to read
        m_lines << line;
        if (m_lines.size() < 2)
            continue;
        m_awaiting = false;
        m_deadline.stop();
        bool ok = false;
        const double hz = m_lines[0].toDouble(&ok);
        if (!ok || hz <= 0 || hz > 1e11) {
            Fail(FormatResource(IDS_FOLLOW_RIG_BAD_ANSWER, Name(), QString::fromLatin1(m_lines[0].left(40))));
            return;
        }
        // PTT reads 0 for receive, 1 to 3 for the ways of keying; an error (RPRT) leaves it unknown.
        std::optional<bool> ptt;
        const int value = m_lines[1].toInt(&ok);
        if (ok)
            ptt = value != 0;
        m_backoff = kFirstBackoffMs;
        m_lastFailure.clear();
        m_radio(static_cast<qint64>(hz + 0.5), ptt);
        return;
    }
    // A line longer than any answer: not rigctld.
    if (m_socket && m_socket->bytesAvailable() > kMaxLine)
        Fail(FormatResource(IDS_FOLLOW_RIG_BAD_ANSWER, Name(), QString::fromLatin1(m_socket->peek(40))));
}

void CRigctldSource::Fail(const QString& why)
{
    if (m_retry.isActive())
        return;
    m_deadline.stop();
    m_connected = false;
    m_awaiting = false;
    if (m_socket) {
        m_socket->disconnect();
        m_socket->abort();
        m_socket.release()->deleteLater();
    }
    m_lost();
    // Said once per outage, not at every attempt.
    if (why != m_lastFailure)
        m_log(FormatResource(IDS_FOLLOW_RIG_LOST, Name(), why, static_cast<unsigned>(m_backoff)));
    m_lastFailure = why;
    m_retry.start(m_backoff);
    m_backoff = std::min(m_backoff * 2, kMaxBackoffMs);
}

CRadioInfoListener::CRadioInfoListener(RadioSources::Radio radio, std::function<bool(const QHostAddress&)> admit)
    : m_radio(std::move(radio))
    , m_admit(std::move(admit))
    , m_socket(std::make_unique<QUdpSocket>())
{
    QObject::connect(m_socket.get(), &QUdpSocket::readyRead, m_socket.get(), [this] { Read(); });
}

CRadioInfoListener::~CRadioInfoListener()
{
    m_socket->disconnect();
}

bool CRadioInfoListener::Listen(const QHostAddress& address, quint16 port)
{
    // Other listeners (a logging program's own tools) may share the port.
    return m_socket->bind(address, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
}

QString CRadioInfoListener::ErrorText() const
{
    return m_socket->errorString();
}

quint16 CRadioInfoListener::Port() const
{
    return m_socket->localPort();
}

void CRadioInfoListener::Read()
{
    while (m_socket->hasPendingDatagrams()) {
        const qint64 size = m_socket->pendingDatagramSize();
        if (size < 0 || size > RadioInfos::kMaxDatagram) {
            m_socket->readDatagram(nullptr, 0); // dropped unread
            continue;
        }
        const QNetworkDatagram datagram = m_socket->receiveDatagram(RadioInfos::kMaxDatagram);
        if (m_admit && !m_admit(datagram.senderAddress()))
            continue;
        const std::optional<RadioInfo> info = RadioInfos::Parse(datagram.data());
        if (info && info->IsActiveRadio())
            m_radio(info->frequencyHz, info->transmitting);
    }
}
