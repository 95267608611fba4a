#include "station/ShareSession.h"
#include "model/StringTable.h"
#include "station/StationStringIds.h"
#include <QTcpSocket>

using namespace Telnet;

namespace {
// SET-CONTROL values (RFC 2217): requests for a state, and the states this line keeps.
constexpr std::uint8_t kControlBreakRequest = 4;
constexpr std::uint8_t kControlBreakOff = 6;
constexpr std::uint8_t kControlDtrRequest = 7;
constexpr std::uint8_t kControlRtsRequest = 10;
constexpr std::uint8_t kControlInboundRequest = 13;
constexpr std::uint8_t kControlInboundNone = 14;
constexpr std::uint8_t kControlInboundLast = 19;

QByteArray Byte(std::uint8_t value)
{
    return QByteArray(1, static_cast<char>(value));
}

QByteArray Speed(std::uint32_t bitsPerSecond)
{
    const char value[] = {static_cast<char>(bitsPerSecond >> 24), static_cast<char>(bitsPerSecond >> 16),
        static_cast<char>(bitsPerSecond >> 8), static_cast<char>(bitsPerSecond)};
    return QByteArray(value, 4);
}

constexpr std::uint8_t kControlDtrOn = 8;
constexpr std::uint8_t kControlRtsOn = 11;
} // namespace

CShareSession::CShareSession(std::unique_ptr<QTcpSocket> socket, CLineArbiter& arbiter,
    std::function<QString(LineLease)> signature, std::function<void(const QString&)> log)
    : m_socket(std::move(socket))
    , m_arbiter(arbiter)
    , m_signature(std::move(signature))
    , m_log(std::move(log))
{
    m_name = QStringLiteral("%1:%2").arg(m_socket->peerAddress().toString()).arg(m_socket->peerPort());
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_id = m_arbiter.AddClient(this, m_name);
    connect(m_socket.get(), &QTcpSocket::readyRead, this, &CShareSession::OnReadyRead);
    connect(m_socket.get(), &QTcpSocket::disconnected, this, &CShareSession::End);
    connect(m_socket.get(), &QTcpSocket::errorOccurred, this, [this]() {
        if (m_socket->state() != QAbstractSocket::ConnectedState)
            End();
    });
    Send(m_options.EnableLocal(kBinary) + m_options.EnableRemote(kBinary) + m_options.EnableLocal(kSuppressGoAhead)
        + m_options.EnableRemote(kSuppressGoAhead));
    OnReadyRead();
}

CShareSession::~CShareSession()
{
    if (m_id != 0)
        m_arbiter.RemoveClient(m_id);
    if (m_socket)
        disconnect(m_socket.get(), nullptr, this, nullptr);
}

void CShareSession::Close()
{
    if (m_socket && !m_ended) {
        m_socket->flush();
        m_socket->disconnectFromHost();
        if (m_socket->state() != QAbstractSocket::UnconnectedState)
            m_socket->abort();
    }
    End();
}

void CShareSession::End()
{
    if (m_ended)
        return;
    m_ended = true;
    // The client is gone: its commands and its lease go with it at once.
    if (m_id != 0)
        m_arbiter.RemoveClient(m_id);
    m_id = 0;
    emit Finished(this);
}

void CShareSession::OnReadyRead()
{
    if (m_ended || m_cutOff)
        return;
    const QByteArray bytes = m_socket->readAll();
    if (bytes.isEmpty())
        return;
    QByteArray data;
    std::vector<Event> events;
    Decode(m_decoder, bytes, m_options.IsRemoteEnabled(kBinary), &data, &events);
    for (const Event& event : events) {
        if (event.kind == Event::Kind::Negotiation) {
            Send(m_options.Receive(event.verb, event.option));
            continue;
        }
        std::uint8_t command = 0;
        QByteArray value;
        if (ParseComPortReply(event, &command, &value))
            OnComPort(command, value);
    }
    if (!data.isEmpty() && !m_ended && !m_arbiter.Submit(m_id, data)) {
        if (m_log)
            m_log(FormatResource(IDS_STATION_CLIENT_FLOODS, m_name, static_cast<unsigned>(CLineArbiter::kMaxPending)));
        Close();
    }
}

void CShareSession::OnComPort(std::uint8_t command, const QByteArray& value)
{
    const std::uint8_t first = value.isEmpty() ? 0 : static_cast<std::uint8_t>(value[0]);
    switch (command) {
    case kSignature:
        // An empty signature asks for ours; a client's own is only noted.
        if (value.isEmpty())
            Reply(kSignature, m_signature(m_arbiter.BusyFor(m_id)).toUtf8());
        break;
    case kSetBaudRate: {
        std::uint32_t speed = 0;
        ParseBaudRate(value, &speed);
        // 0 asks for the speed; any other is answered with the speed the line really runs at.
        const DWORD inForce = speed == 0 ? m_arbiter.LineSpeed() : m_arbiter.RequestSpeed(m_id, speed);
        Reply(kSetBaudRate, Speed(inForce));
        break;
    }
    case kSetDataSize:
        Reply(kSetDataSize, Byte(8));
        break;
    case kSetParity:
        Reply(kSetParity, Byte(kParityNone));
        break;
    case kSetStopSize:
        Reply(kSetStopSize, Byte(kStopBitsOne));
        break;
    case kSetControl:
        Reply(kSetControl, Byte(Control(first)));
        break;
    case kFlowControlSuspend:
    case kFlowControlResume:
        break;
    case kSetLineStateMask:
    case kSetModemStateMask:
        Reply(command, Byte(first));
        break;
    case kPurgeData:
        // Answers go to their client as they arrive: nothing of this client's is held back
        // that a purge could drop.
        Reply(kPurgeData, Byte(first));
        break;
    default:
        break;
    }
}

std::uint8_t CShareSession::Control(std::uint8_t value)
{
    // Flow control and break are the line's, and the line has neither: that is the answer to
    // any request for them. DTR and RTS are each client's own: the amplifier does not use
    // them, the line keeps them as the server opened it (a client toggling them would change
    // the line under the others), and RFC 2217 clients such as pyserial refuse a server that
    // answers another state than they set.
    if (value <= 3)
        return kControlNoFlowControl;
    if (value >= kControlBreakRequest && value <= kControlBreakOff)
        return kControlBreakOff;
    if (value == kControlDtrOn || value == kControlDtrOff)
        m_dtrOn = value == kControlDtrOn;
    if (value >= kControlDtrRequest && value <= kControlDtrOff)
        return m_dtrOn ? kControlDtrOn : kControlDtrOff;
    if (value == kControlRtsOn || value == kControlRtsOff)
        m_rtsOn = value == kControlRtsOn;
    if (value >= kControlRtsRequest && value <= kControlRtsOff)
        return m_rtsOn ? kControlRtsOn : kControlRtsOff;
    if (value >= kControlInboundRequest && value <= kControlInboundLast)
        return kControlInboundNone;
    return value;
}

void CShareSession::Reply(std::uint8_t command, const QByteArray& value)
{
    Send(ComPortRequest(static_cast<std::uint8_t>(kServerOffset + command), value));
}

void CShareSession::OnLineData(const QByteArray& bytes)
{
    Send(EscapeData(bytes, m_options.IsLocalEnabled(kBinary)));
}

void CShareSession::OnLineBusy(LineLease lease)
{
    // Told unasked, so that a program waiting for an answer learns why none comes.
    if (m_options.IsRemoteEnabled(kComPort))
        Reply(kSignature, m_signature(lease).toUtf8());
}

void CShareSession::Send(const QByteArray& bytes)
{
    if (bytes.isEmpty() || m_ended || m_cutOff || !m_socket)
        return;
    if (m_socket->bytesToWrite() + bytes.size() > kMaxUnsent) {
        if (m_log)
            m_log(FormatResource(IDS_STATION_CLIENT_DOES_NOT_READ, m_name));
        // Later: this may run while the arbiter is going through its clients.
        m_cutOff = true;
        QMetaObject::invokeMethod(this, &CShareSession::Close, Qt::QueuedConnection);
        return;
    }
    m_socket->write(bytes);
}
