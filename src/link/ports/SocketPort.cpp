#include "link/ports/SocketPort.h"
#include "model/RemoteStringIds.h"
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "model/StatusSink.h"
#include "model/StringTable.h"
#include "model/UserPrompt.h"
#include <QDeadlineTimer>
#include <QTcpSocket>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#ifdef Q_OS_WIN
#include <ws2tcpip.h>
#else
#include <netdb.h>
#endif
#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#endif

namespace {
// Blocking waits go in short slices, so that a Ctrl+C ends them at once.
int SliceOf(const QDeadlineTimer& deadline)
{
    return static_cast<int>(std::clamp<qint64>(deadline.remainingTime(), 0, 50));
}
} // namespace

CSocketPort::CSocketPort(IEventHost& host, IStatusSink* status, IUserPrompt* prompt)
    : m_host(host)
    , m_status(status)
    , m_prompt(prompt)
{
}

CSocketPort::~CSocketPort()
{
    Close();
}

void CSocketPort::SetTimeouts(int connectMs, int answerMs)
{
    m_connectMs = connectMs;
    m_answerMs = answerMs;
}

DWORD CSocketPort::MapSocketError(int socketError)
{
    switch (static_cast<QAbstractSocket::SocketError>(socketError)) {
    case QAbstractSocket::ConnectionRefusedError:
        return Result::RemoteRefused;
    case QAbstractSocket::RemoteHostClosedError:
        return Result::RemoteConnectionLost;
    case QAbstractSocket::HostNotFoundError:
        return Result::RemoteHostNotFound;
    case QAbstractSocket::SocketTimeoutError:
        return Result::RemoteTimeout;
    default:
        return Result::RemoteUnreachable;
    }
}

bool CSocketPort::IsOpen() const
{
    return m_socket != nullptr && !m_connecting && !m_opening;
}

bool CSocketPort::Fail(DWORD code)
{
    m_lastError = code;
    return false;
}

struct CSocketPort::Lookup {
    std::mutex mutex;
    bool done = false;
    QList<QHostAddress> addresses;
};

namespace {
std::atomic<bool> g_waitsInterrupted {false};

// The system's look-up of a host name, on a thread of its own that nobody waits for: a dead
// name server holds up only that thread, which ends by itself (or with the program).
void LookUp(std::shared_ptr<CSocketPort::Lookup> lookup, QByteArray host)
{
    std::thread([lookup, host]() {
        addrinfo hints {};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        QList<QHostAddress> addresses;
        if (::getaddrinfo(host.constData(), nullptr, &hints, &found) == 0) {
            for (const addrinfo* a = found; a; a = a->ai_next) {
                const QHostAddress address(a->ai_addr);
                if (!address.isNull() && !addresses.contains(address))
                    addresses.append(address);
            }
            ::freeaddrinfo(found);
        }
        std::lock_guard lock(lookup->mutex);
        lookup->addresses = addresses;
        lookup->done = true;
    }).detach();
}
} // namespace

void CSocketPort::InterruptWaits()
{
    g_waitsInterrupted = true;
}

bool CSocketPort::Open(const QString& name, bool quiet)
{
    if (IsOpen())
        return true;
    if ((m_connecting || m_opening) && name != m_name)
        Close();
    if (m_opening)
        return AdvanceOpen(quiet);
    if (!m_connecting)
        return StartConnecting(name, quiet);
    const DWORD code = g_waitsInterrupted ? Result::Cancelled : AdvanceConnect();
    if (code == Result::IoPending)
        return Fail(code);
    m_connecting = false;
    if (code != 0) {
        Close();
        ReportOpenFailure(code, quiet);
        return false;
    }
    return FinishOpen(quiet);
}

bool CSocketPort::StartConnecting(const QString& name, bool quiet)
{
    m_name = name;
    m_received.clear();
    m_failed = false;
    m_failure = 0;
    m_dropped = 0;
    m_sinceCommand = 0;
    m_speed = 230400;
    if (name.isEmpty())
        return Fail(Result::PortNameMissing);
    if (!ParseRemotePortName(name, &m_address)) {
        ReportOpenFailure(Result::RemoteBadName, quiet);
        return false;
    }
    m_socket = std::make_unique<QTcpSocket>();
    // What the system holds back is the server's to wait with, not this program's to store.
    m_socket->setReadBufferSize(kMaxHeld);
    m_connecting = true;
    m_connectDeadline = QDeadlineTimer(m_connectMs);
    m_addresses.clear();
    const QHostAddress literal(m_address.host);
    if (!literal.isNull()) {
        m_socket->connectToHost(literal, m_address.port);
    } else {
        m_lookup = std::make_shared<Lookup>();
        LookUp(m_lookup, m_address.host.toUtf8());
    }
    return Fail(Result::IoPending);
}

DWORD CSocketPort::AdvanceConnect()
{
    if (m_lookup) {
        {
            std::lock_guard lock(m_lookup->mutex);
            if (!m_lookup->done)
                return m_connectDeadline.hasExpired() ? Result::RemoteTimeout : Result::IoPending;
            m_addresses = m_lookup->addresses;
        }
        m_lookup.reset();
        if (m_addresses.isEmpty())
            return Result::RemoteHostNotFound;
        m_socket->connectToHost(m_addresses.takeFirst(), m_address.port);
    }
    switch (m_socket->state()) {
    case QAbstractSocket::ConnectedState:
        return 0;
    case QAbstractSocket::UnconnectedState: {
        // This address failed: the next one of the name, while there is time.
        const DWORD code = MapSocketError(m_socket->error());
        if (m_addresses.isEmpty() || m_connectDeadline.hasExpired())
            return code;
        m_socket->connectToHost(m_addresses.takeFirst(), m_address.port);
        return Result::IoPending;
    }
    default:
        return m_connectDeadline.hasExpired() ? Result::RemoteTimeout : Result::IoPending;
    }
}

bool CSocketPort::FinishOpen(bool quiet)
{
    // Commands are a few bytes and the amplifier waits for each: send them at once rather than
    // gather them into fuller segments.
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(m_socket.get(), &QTcpSocket::readyRead, this, &CSocketPort::OnReadyRead);
    connect(m_socket.get(), &QTcpSocket::disconnected, this, &CSocketPort::OnConnectionLost);
    connect(m_socket.get(), &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // A wait that times out reports an error too, on a connection that is still there.
        if (error != QAbstractSocket::SocketTimeoutError && m_socket
            && m_socket->state() != QAbstractSocket::ConnectedState)
            OnConnectionLost();
    });
    m_opening = true;
    if (!StartSession())
        m_sessionFailure = m_lastError != 0 ? m_lastError : Result::GenFailure;
    return AdvanceOpen(quiet);
}

bool CSocketPort::AdvanceOpen(bool quiet)
{
    // What the server has sent since: the session's answers, taken here as well as from the
    // event loop, since the caller may ask again before the loop has run.
    OnReadyRead();
    DWORD code = m_sessionFailure;
    if (code == 0 && !m_failed)
        code = g_waitsInterrupted ? Result::Cancelled : AdvanceSession();
    if (code == Result::IoPending && !m_failed)
        return Fail(code);
    m_opening = false;
    m_sessionFailure = 0;
    if (code != 0 || m_failed) {
        // A server that hangs up while the session starts is most often one whose port
        // already has a client.
        if (code == 0 || code == Result::IoPending)
            code = Result::GenFailure;
        if (g_waitsInterrupted)
            code = Result::Cancelled;
        else if (m_failed)
            code = m_failure == Result::RemoteFlooded ? m_failure : Result::RemoteClosedAtOnce;
        Close();
        ReportOpenFailure(code, quiet);
        return false;
    }
    m_lastError = 0;
    // What the server sent while the connection was being made and the session started: its
    // notice went out before anyone listened.
    OnReadyRead();
    return true;
}

void CSocketPort::ReportOpenFailure(DWORD code, bool quiet)
{
    m_lastError = code;
    if (!quiet && m_prompt)
        m_prompt->ShowMessage(IUserPrompt::Icon::Error, ResourceString(IDS_COM_PORT_ERROR),
            CallFailedOn(QStringLiteral("connect"), m_name, code));
}

void CSocketPort::Close()
{
    m_connecting = false;
    m_opening = false;
    m_sessionFailure = 0;
    m_lookup.reset();
    m_addresses.clear();
    if (!m_socket)
        return;
    disconnect(m_socket.get(), nullptr, this, nullptr);
    m_socket->abort();
    m_socket.reset();
    m_received.clear();
    m_failed = false;
}

bool CSocketPort::SetSpeed(DWORD bitsPerSecond)
{
    if (!IsOpen())
        return Fail(Result::InvalidHandle);
    if (!IsSupportedSpeed(bitsPerSecond))
        return Fail(Result::InvalidArgumentHResult);
    if (m_failed)
        return Fail(m_failure);
    if (bitsPerSecond == m_speed)
        return true;
    if (!ApplySpeed(bitsPerSecond))
        return false;
    m_speed = bitsPerSecond;
    return true;
}

bool CSocketPort::PurgeReceive()
{
    if (!IsOpen())
        return Fail(Result::InvalidHandle);
    if (m_failed)
        return Fail(m_failure);
    // What the socket holds arrived before the purge as much as what was already taken.
    OnReadyRead();
    if (m_failed)
        return Fail(m_lastError);
    if (m_received.isEmpty())
        return true;
    // Bytes nobody asked for: the server may hold more of them. Only then is it asked to
    // purge, since every request costs an answer, and a server that sends that answer and the
    // amplifier's as two small segments holds the second until the first is acknowledged
    // (tens of milliseconds per command).
    m_received.clear();
    return PurgeServer();
}

bool CSocketPort::Read(BYTE* buffer, DWORD count, DWORD* bytesRead)
{
    *bytesRead = 0;
    if (!IsOpen())
        return Fail(Result::InvalidHandle);
    if (m_failed)
        return Fail(m_failure);
    const qsizetype n = std::min<qsizetype>(count, m_received.size());
    std::copy_n(m_received.constData(), n, reinterpret_cast<char*>(buffer));
    m_received.remove(0, n);
    *bytesRead = static_cast<DWORD>(n);
    return true;
}

bool CSocketPort::WriteText(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return WriteBytes(reinterpret_cast<const BYTE*>(bytes.constData()), static_cast<DWORD>(bytes.size()));
}

bool CSocketPort::WriteBytes(const BYTE* data, DWORD count)
{
    if (!IsOpen())
        return Fail(Result::InvalidHandle);
    if (m_failed)
        return Fail(m_failure);
    if (count == 0)
        return true;
    m_sinceCommand = 0;
    return SendBytes(Frame(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count))));
}

bool CSocketPort::SendBytes(const QByteArray& bytes)
{
    if (m_socket->write(bytes) != bytes.size())
        return Fail(m_failed ? m_failure : MapSocketError(m_socket->error()));
    m_socket->flush();
    // The system takes a command at once; a firmware packet may wait while the server drains
    // its buffers, but never longer than the server takes to answer.
    QDeadlineTimer deadline(m_answerMs + static_cast<qint64>(bytes.size()) * 10 * 1000 / m_speed);
    while (m_socket && m_socket->bytesToWrite() > 0 && !m_failed) {
        if (!m_socket->waitForBytesWritten(SliceOf(deadline)) && deadline.hasExpired())
            return Fail(Result::RemoteTimeout);
        if (g_waitsInterrupted && m_opening)
            return Fail(Result::Cancelled);
    }
    if (m_failed || !m_socket)
        return Fail(m_failed ? m_failure : Result::RemoteConnectionLost);
    return true;
}

void CSocketPort::QueueBytes(const QByteArray& bytes)
{
    if (!m_socket || bytes.isEmpty() || m_failed)
        return;
    // Answers to a server that sends without reading what it is sent would pile up here.
    if (m_socket->bytesToWrite() + bytes.size() > kMaxHeld) {
        OnFlooded(bytes.size());
        return;
    }
    m_socket->write(bytes);
    m_socket->flush();
}

bool CSocketPort::WaitForServer(const std::function<bool()>& done)
{
    QDeadlineTimer deadline(m_answerMs);
    // Bytes already held (sent before the session's start) come first.
    OnReadyRead();
    while (!done()) {
        if (g_waitsInterrupted && m_opening)
            return Fail(Result::Cancelled);
        if (!m_socket || m_failed || deadline.hasExpired())
            return false;
        // Reads (and hands to OnReadyRead) without running the event loop: nothing else of the
        // program runs while a port operation waits.
        m_socket->waitForReadyRead(SliceOf(deadline));
    }
    return true;
}

void CSocketPort::Settle(DWORD ms)
{
    // The amplifier changes its speed after a command that the server sends on at the old
    // one: give both the same pause a local port gets.
    QThread::msleep(ms);
}

void CSocketPort::OnReadyRead()
{
    if (!m_socket || m_failed)
        return;
    const QByteArray bytes = m_socket->read(kMaxHeld);
    if (bytes.isEmpty())
        return;
    AcknowledgeAtOnce();
    const qsizetype before = m_received.size();
    TakeReceived(bytes, &m_received);
    const qsizetype added = m_received.size() - before;
    m_sinceCommand += bytes.size();
    if (m_received.size() > kMaxHeld || m_sinceCommand > kMaxHeld) {
        const qint64 excess = std::max<qint64>(0, m_received.size() - kMaxHeld);
        m_received.truncate(std::min(m_received.size(), kMaxHeld));
        OnFlooded(excess + m_socket->bytesAvailable());
        return;
    }
    if (added == 0 || m_notifyPending)
        return;
    // Coalesce: one posted notification is enough for everything that has arrived.
    m_notifyPending = true;
    Post([this]() {
        m_notifyPending = false;
        if (m_notify)
            m_notify();
    });
}

void CSocketPort::OnFlooded(qint64 dropped)
{
    m_dropped += dropped;
    if (m_failed)
        return;
    // Nothing more is taken from the server: the system holds the rest, and the server waits.
    disconnect(m_socket.get(), &QTcpSocket::readyRead, this, &CSocketPort::OnReadyRead);
    OnFailed(Result::RemoteFlooded);
}

void CSocketPort::OnConnectionLost()
{
    OnFailed(Result::RemoteConnectionLost);
}

void CSocketPort::OnFailed(DWORD code)
{
    if (m_failed || !m_socket)
        return;
    m_failed = true;
    m_failure = code;
    m_lastError = code;
    if (m_opening)
        return; // the open fails and says so itself
    // An owner that hears of the failure reports it, in its own words and once; without one,
    // this line is all the user gets.
    if (!m_failureNotify)
        ReportStatus(code == Result::RemoteFlooded
                ? FormatResource(IDS_REMOTE_FLOODED, HostAndPort(m_address))
                : FormatResource(IDS_REMOTE_CONNECTION_LOST, HostAndPort(m_address)));
    // As an unplugged adapter: whoever is reading finds out at its next read, and the owner
    // closes the port.
    Post([this]() {
        if (m_notify)
            m_notify();
        if (m_failureNotify && m_failed)
            m_failureNotify();
    });
}

void CSocketPort::AcknowledgeAtOnce()
{
#if defined(Q_OS_LINUX) && defined(TCP_QUICKACK)
    // A server that sends an answer in more than one small segment holds each further one
    // until the one before is acknowledged (Nagle's rule), and this end, having nothing to
    // send, would wait up to 40 ms before acknowledging: most answers of the amplifier would
    // take that long. The system forgets the option after a while, so it is set after each read.
    const int on = 1;
    ::setsockopt(static_cast<int>(m_socket->socketDescriptor()), IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
#endif
}

void CSocketPort::ReportStatus(const QString& text)
{
    if (m_status)
        m_status->OnStatusLine(IStatusSink::Kind::Status, text);
}

void CSocketPort::Post(std::function<void()> call)
{
    std::weak_ptr<int> alive = m_alive;
    m_host.Post([alive, call = std::move(call)]() {
        if (alive.lock())
            call();
    });
}
