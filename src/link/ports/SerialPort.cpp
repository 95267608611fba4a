#include "link/ports/SerialPort.h"
#include "link/ports/PortList.h"
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "model/StatusSink.h"
#include "model/StringTable.h"
#include "model/UserPrompt.h"
#include <QDir>
#include <QFileInfo>
#include <QSerialPort>
#include <QSerialPortInfo>
#include <QThread>
#ifdef Q_OS_UNIX
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {
constexpr qint64 kQueueSize = 16384;

// An open port that fails with access denied has lost its device (an unplugged adapter, a
// pseudo-terminal whose far end closed): Qt says so as a resource, read or write error.
bool IsDeviceGone(QSerialPort::SerialPortError error)
{
    return error != QSerialPort::NoError && CSerialPort::MapError(error) == Result::AccessDenied;
}
} // namespace

CSerialPort::CSerialPort(IEventHost& host, IStatusSink* status, IUserPrompt* prompt)
    : m_host(host), m_status(status), m_prompt(prompt)
{
}

CSerialPort::~CSerialPort()
{
    Close();
}

DWORD CSerialPort::MapError(int serialPortError)
{
    switch (static_cast<QSerialPort::SerialPortError>(serialPortError)) {
    case QSerialPort::NoError:
        return 0;
    case QSerialPort::DeviceNotFoundError:
        return Result::FileNotFound;
    case QSerialPort::PermissionError:
    case QSerialPort::OpenError:
        return Result::AccessDenied;
    case QSerialPort::ResourceError:
        // The device has gone (a USB adapter unplugged): the port reports access denied.
        return Result::AccessDenied;
    case QSerialPort::NotOpenError:
        return Result::InvalidHandle;
    case QSerialPort::TimeoutError:
        return Result::Timeout;
    case QSerialPort::UnsupportedOperationError:
        return 50;
    case QSerialPort::WriteError:
    case QSerialPort::ReadError:
        // On a tty an I/O error on an open port means the device has gone (hang-up, unplugged
        // adapter): reported as access denied, which closes the port.
        return Result::AccessDenied;
    default:
        return Result::GenFailure;
    }
}

bool CSerialPort::IsOpen() const
{
    return m_port && m_port->isOpen() && !m_lost;
}

bool CSerialPort::Fail(const QString& operation, DWORD code, bool report)
{
    m_lastError = code;
    if (report)
        ReportError(operation, code);
    return false;
}

bool CSerialPort::Open(const QString& name, bool quiet)
{
    if (IsOpen())
        return true;
    Close();
    m_closedError = Result::InvalidHandle;
    m_name = name;
    m_advice.clear();
    if (name.isEmpty()) {
        m_lastError = Result::PortNameMissing;
        return false;
    }
    // No device has a name this long (a pasted text, a runaway script): the system's refusal
    // would read as a port in use, and the name, echoed whole, would bury the message.
    if (IsPortNameTooLong(name)) {
        m_name = ShortPortName(name);
        m_lastError = Result::FileNameTooLong;
        if (!quiet)
            ReportError(QStringLiteral("CreateFile"), m_lastError);
        return false;
    }
    m_port = std::make_unique<QSerialPort>();
    // Open a link (a /dev/serial/by-id name, a pseudo-terminal's link) by the device it names:
    // the lock that keeps a second program off the port is named after the path opened, so
    // two names for one device must meet at one lock.
    const QFileInfo linkInfo(name);
    m_port->setPortName(linkInfo.isSymLink() && !linkInfo.canonicalFilePath().isEmpty() ? linkInfo.canonicalFilePath()
                                                                                          : name);
    m_port->setReadBufferSize(0);
    if (!m_port->open(QIODevice::ReadWrite)) {
        const DWORD code = MapError(m_port->error());
        m_port.reset();
        m_lastError = code;
        if (code == Result::AccessDenied)
            m_advice = FindAccessAdvice();
        if (!quiet) {
            if (code == Result::AccessDenied) {
                QString text = FormatResource(IDS_PORT_ACCESS_DENIED, name);
                if (!m_advice.isEmpty())
                    text += QStringLiteral("\r\n") + m_advice;
                if (m_prompt)
                    m_prompt->ShowMessage(IUserPrompt::Icon::Error, ResourceString(IDS_COM_PORT_ERROR),
                                          CallFailedOn(QStringLiteral("CreateFile"), name, code).section("\r\n", 0, 0) +
                                              QStringLiteral("\r\n") + text);
            } else {
                ReportError(QStringLiteral("CreateFile"), code);
            }
        }
        m_lastError = code;
        return false;
    }
    m_port->setDataBits(QSerialPort::Data8);
    m_port->setParity(QSerialPort::NoParity);
    m_port->setStopBits(QSerialPort::OneStop);
    m_port->setFlowControl(QSerialPort::NoFlowControl);
    // Both control lines held off. A pseudo-terminal has no modem lines and refuses: harmless.
    m_port->setDataTerminalReady(false);
    m_port->setRequestToSend(false);
    m_port->clearError();
    m_speed = 0;
    if (!m_port->setBaudRate(230400)) {
        const DWORD code = MapError(m_port->error());
        m_port.reset();
        return Fail(QStringLiteral("SetCommState"), code, true);
    }
    m_speed = 230400;
    QThread::msleep(50);
    connect(m_port.get(), &QSerialPort::readyRead, this, &CSerialPort::OnReadyRead);
    // Qt finds a vanished device while the port is idle too (a hang-up makes the line
    // readable): the owner hears of it then, not at the user's next command.
    connect(m_port.get(), &QSerialPort::errorOccurred, this, [this](QSerialPort::SerialPortError e) {
        if (IsDeviceGone(e))
            Lost();
    });
    m_lastError = 0;
    return true;
}

void CSerialPort::Close()
{
    ReleaseDevice();
    m_lost = false;
}

void CSerialPort::ReleaseDevice()
{
    if (!m_port)
        return;
    disconnect(m_port.get(), nullptr, this, nullptr);
    if (m_port->isOpen())
        m_port->close();
    m_port.reset();
}

bool CSerialPort::Lost()
{
    m_lastError = Result::PortLost;
    if (m_lost)
        return false;
    m_lost = true;
    // The owner closes a lost port as it hears of the loss: until the port is opened again, the
    // next command on it (a poll cycle's first send) still names the loss, not a closed handle.
    m_closedError = Result::PortLost;
    std::weak_ptr<bool> alive = m_alive;
    m_host.Post([this, alive]() {
        if (alive.expired() || !m_lost)
            return;
        // Let go of the device from the event loop, never from inside the I/O call or the
        // signal that found out; a failed line that stays open would keep signalling.
        ReleaseDevice();
        // A copy: the owner may replace the port (and this callback) before it returns.
        if (const std::function<void()> failed = m_failureNotify)
            failed();
    });
    return false;
}

bool CSerialPort::FailOperation(const QString& operation)
{
    const QSerialPort::SerialPortError error = m_port->error();
    if (m_lost || error == QSerialPort::NoError || IsDeviceGone(error))
        return Lost();
    const DWORD code = MapError(error);
    m_port->clearError();
    return Fail(operation, code, true);
}

bool CSerialPort::SetSpeed(DWORD bitsPerSecond)
{
    if (!IsOpen()) {
        m_lastError = m_closedError;
        return false;
    }
    if (!IsSupportedSpeed(bitsPerSecond)) {
        m_lastError = Result::InvalidArgumentHResult;
        return false;
    }
    if (bitsPerSecond == m_speed)
        return true;
    // The line needs a moment to settle around every change of its settings.
    QThread::msleep(50);
    if (!m_port->setBaudRate(static_cast<qint32>(bitsPerSecond)))
        return FailOperation(QStringLiteral("SetCommState"));
    m_speed = bitsPerSecond;
    QThread::msleep(50);
    return true;
}

bool CSerialPort::PurgeReceive()
{
    if (!IsOpen()) {
        m_lastError = m_closedError;
        return false;
    }
    m_port->readAll();
    if (!m_port->clear(QSerialPort::Input))
        return FailOperation(QStringLiteral("PurgeComm"));
    return true;
}

bool CSerialPort::Read(BYTE* buffer, DWORD count, DWORD* bytesRead)
{
    *bytesRead = 0;
    if (!IsOpen()) {
        m_lastError = m_closedError;
        return false;
    }
    const qint64 n = m_port->read(reinterpret_cast<char*>(buffer), count);
    if (n < 0 || m_lost || m_port->error() == QSerialPort::ResourceError)
        return FailOperation(QStringLiteral("ReadFile"));
    *bytesRead = static_cast<DWORD>(n);
    return true;
}

bool CSerialPort::WriteText(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return WriteBytes(reinterpret_cast<const BYTE*>(bytes.constData()), static_cast<DWORD>(bytes.size()));
}

bool CSerialPort::WriteBytes(const BYTE* data, DWORD count)
{
    if (!IsOpen()) {
        m_lastError = m_closedError;
        return false;
    }
    if (count == 0)
        return true;
    const qint64 written = m_port->write(reinterpret_cast<const char*>(data), count);
    if (written != static_cast<qint64>(count))
        return FailOperation(QStringLiteral("WriteFile"));
    // Writes complete before they return: wait for the driver to take every byte, with time to
    // spare for the line's bit rate.
    const int budgetMs = 2000 + static_cast<int>(static_cast<qint64>(count) * 10 * 1000 / std::max<DWORD>(m_speed, 300));
    while (m_port->bytesToWrite() > 0) {
        if (!m_port->waitForBytesWritten(budgetMs)) {
            if (m_lost || IsDeviceGone(m_port->error()))
                return Lost();
            const DWORD code =
                m_port->error() == QSerialPort::TimeoutError || m_port->error() == QSerialPort::NoError
                    ? Result::Timeout
                    : MapError(m_port->error());
            m_port->clearError();
            if (IsOpen())
                m_port->clear(QSerialPort::Output);
            return Fail(QStringLiteral("WriteFile"), code, true);
        }
    }
    return true;
}

void CSerialPort::Settle(DWORD ms)
{
    QThread::msleep(ms);
}

void CSerialPort::OnReadyRead()
{
    // Coalesce: one posted notification is enough for everything that has arrived.
    if (m_notifyPending || m_lost)
        return;
    m_notifyPending = true;
    std::weak_ptr<bool> alive = m_alive;
    m_host.Post([this, alive]() {
        if (alive.expired())
            return;
        m_notifyPending = false;
        if (IsOpen() && m_notify)
            m_notify();
    });
}

void CSerialPort::ReportError(const QString& operation, DWORD code)
{
    // A box is a nested event loop: a failure met under it is a status line, not a box on top.
    if (m_prompt && !m_reporting) {
        m_reporting = true;
        m_prompt->ShowMessage(IUserPrompt::Icon::Error, ResourceString(IDS_COM_PORT_ERROR),
                              CallFailedOn(operation, m_name, code));
        m_reporting = false;
    } else if (m_status) {
        m_status->OnStatusLine(IStatusSink::Kind::Status, CallFailedOn(operation, m_name, code));
    }
    if (!IsOpen())
        return;
    if (m_status)
        m_status->OnStatusLine(IStatusSink::Kind::Status,
                               FormatResource(IDS_CLEAR_COMM_ERROR, static_cast<unsigned>(m_port->error())));
    m_port->clearError();
}

#ifdef Q_OS_UNIX
namespace {
// Whether the process holds the master side of the pseudo-terminal `device` ("/dev/pts/N"):
// its fdinfo names the terminal's index.
bool ServesPseudoTerminal(const QString& pid, const QFileInfoList& open, const QString& device)
{
    const QString prefix = QStringLiteral("/dev/pts/");
    if (!device.startsWith(prefix))
        return false;
    const QByteArray index = "tty-index:\t" + device.mid(prefix.size()).toLatin1() + '\n';
    for (const QFileInfo& fd : open) {
        if (!fd.symLinkTarget().endsWith(QLatin1String("ptmx")))
            continue;
        QFile info(QStringLiteral("/proc/%1/fdinfo/%2").arg(pid, fd.fileName()));
        if (info.open(QIODevice::ReadOnly) && info.readAll().contains(index))
            return true;
    }
    return false;
}
} // namespace
#endif

QString CSerialPort::FindAccessAdvice() const
{
#ifdef Q_OS_UNIX
    const QString path = m_name.startsWith('/') ? m_name : QStringLiteral("/dev/") + m_name;
    const QString device = QFileInfo(path).canonicalFilePath();
    // Which process holds the port: look for it among the open files of every process we may
    // inspect.
    if (!device.isEmpty()) {
        const QDir proc(QStringLiteral("/proc"));
        for (const QString& pid : proc.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            bool numeric = false;
            pid.toInt(&numeric);
            if (!numeric || pid.toLongLong() == static_cast<qlonglong>(getpid()))
                continue;
            const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
            const QFileInfoList open = fds.entryInfoList(QDir::System | QDir::NoDotAndDotDot);
            if (ServesPseudoTerminal(pid, open, device))
                continue; // the far end of the line (a simulated amplifier), not a holder
            for (const QFileInfo& fd : open) {
                if (fd.symLinkTarget() == device) {
                    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
                    QString who = QStringLiteral("process %1").arg(pid);
                    if (comm.open(QIODevice::ReadOnly))
                        who = QStringLiteral("%1 (process %2)").arg(QString::fromLocal8Bit(comm.readAll()).trimmed(), pid);
                    return FormatResource(IDS_PORT_HELD_BY, m_name, who);
                }
            }
        }
    }
    // Not held by anyone we can see: most likely the account may not open serial ports.
    struct stat st {};
    if (!device.isEmpty() && ::stat(QFile::encodeName(device).constData(), &st) == 0 && getuid() != 0 &&
        access(QFile::encodeName(device).constData(), R_OK | W_OK) != 0) {
        return ResourceString(IDS_DIALOUT_ADVICE);
    }
#endif
    return {};
}
