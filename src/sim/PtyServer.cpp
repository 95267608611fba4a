#include "sim/PtyServer.h"
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace {
// A program that stops reading (or is gone) must not make the server grow without limit: a
// real line loses what nobody reads, and so does this one beyond this much.
constexpr qsizetype kMaxPending = 1 << 20;

#ifdef Q_OS_UNIX
DWORD SpeedOf(speed_t code)
{
    switch (code) {
    case B4800:
        return 4800;
    case B9600:
        return 9600;
    case B19200:
        return 19200;
    case B38400:
        return 38400;
    case B57600:
        return 57600;
    case B115200:
        return 115200;
    case B230400:
        return 230400;
    default:
        return 0;
    }
}

QString SystemError(const char* what)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(std::strerror(errno)));
}
#endif
} // namespace

CPtyServer::CPtyServer(std::shared_ptr<CSimDevice> device, QObject* parent)
    : QObject(parent)
    , m_device(std::move(device))
{
}

CPtyServer::~CPtyServer()
{
    Stop();
}

bool CPtyServer::Start(QString* error)
{
#ifdef Q_OS_UNIX
    if (m_master >= 0)
        return true;
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        if (error)
            *error = SystemError("posix_openpt");
        Stop();
        return false;
    }
    const char* name = ptsname(m_master);
    if (!name) {
        if (error)
            *error = SystemError("ptsname");
        Stop();
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    // Our own descriptor on the slave: without it the master reads EIO (and loses the line's
    // settings) every time the program closes its port.
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (m_slave < 0) {
        if (error)
            *error = SystemError("open slave");
        Stop();
        return false;
    }
    // Raw until the program sets its own mode: no echo of our output back to us, no line
    // editing of its commands.
    termios tio {};
    if (tcgetattr(m_slave, &tio) == 0) {
        cfmakeraw(&tio);
        cfsetispeed(&tio, B230400);
        cfsetospeed(&tio, B230400);
        tcsetattr(m_slave, TCSANOW, &tio);
    }
    m_device->SetLineSpeed(LineSpeed());
    m_device->SetLineSpeedProbe([this]() { return LineSpeed(); });
    m_device->SetOutput([this](const QByteArray& bytes) { Send(bytes); });
    m_device->SetAttention([this]() {
        if (m_device->GetFaults().unplugged)
            HangUp();
    });
    m_readNotifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
    connect(m_readNotifier, &QSocketNotifier::activated, this, [this]() { OnReadable(); });
    m_writeNotifier = new QSocketNotifier(m_master, QSocketNotifier::Write, this);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier, &QSocketNotifier::activated, this, [this]() { OnWritable(); });
    return true;
#else
    if (error)
        *error = QStringLiteral("pseudo-terminals are not available on this system");
    return false;
#endif
}

bool CPtyServer::MakeLink(const QString& path, QString* error)
{
#ifdef Q_OS_UNIX
    if (m_slavePath.isEmpty()) {
        if (error)
            *error = QStringLiteral("no pseudo-terminal to link to");
        return false;
    }
    const QFileInfo info(path);
    if (info.isSymLink()) {
        // A link left behind by an earlier run that did not end cleanly.
        QFile::remove(path);
    } else if (info.exists()) {
        if (error)
            *error = QStringLiteral("%1 exists and is not a symbolic link").arg(path);
        return false;
    }
    if (::symlink(QFile::encodeName(m_slavePath).constData(), QFile::encodeName(path).constData()) != 0) {
        if (error)
            *error = SystemError("symlink");
        return false;
    }
    m_link = path;
    return true;
#else
    if (error)
        *error = QStringLiteral("symbolic links are not available on this system");
    return false;
#endif
}

void CPtyServer::HangUp()
{
    const QString path = m_slavePath;
    Stop();
    // Still answerable for what it was.
    m_slavePath = path;
}

void CPtyServer::Stop()
{
    delete m_readNotifier;
    m_readNotifier = nullptr;
    delete m_writeNotifier;
    m_writeNotifier = nullptr;
    if (m_device) {
        m_device->SetOutput(nullptr);
        m_device->SetLineSpeedProbe(nullptr);
        m_device->SetAttention(nullptr);
    }
#ifdef Q_OS_UNIX
    if (!m_link.isEmpty()) {
        // Only our own link: someone may have put something else there meanwhile.
        if (QFileInfo(m_link).isSymLink() && QFileInfo(m_link).symLinkTarget() == m_slavePath)
            QFile::remove(m_link);
        m_link.clear();
    }
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
#endif
    m_slave = m_master = -1;
    m_pending.clear();
}

DWORD CPtyServer::LineSpeed() const
{
#ifdef Q_OS_UNIX
    // The master's view of the line settings is the slave's: what the program set.
    termios tio {};
    if (m_master < 0 || tcgetattr(m_master, &tio) != 0)
        return 0;
    return SpeedOf(cfgetospeed(&tio));
#else
    return 0;
#endif
}

void CPtyServer::OnReadable()
{
#ifdef Q_OS_UNIX
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            m_device->SetLineSpeed(LineSpeed());
            m_device->Receive(QByteArray(buffer, static_cast<qsizetype>(n)));
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        // EAGAIN: all read. EIO cannot come while we hold the slave open; should it come
        // anyway, stop listening rather than spin.
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && m_readNotifier)
            m_readNotifier->setEnabled(false);
        return;
    }
#endif
}

void CPtyServer::Send(const QByteArray& bytes)
{
    if (m_master < 0)
        return;
    if (m_pending.size() + bytes.size() > kMaxPending)
        return;
    m_pending.append(bytes);
    OnWritable();
}

void CPtyServer::OnWritable()
{
#ifdef Q_OS_UNIX
    while (!m_pending.isEmpty()) {
        const ssize_t n = ::write(m_master, m_pending.constData(), static_cast<size_t>(m_pending.size()));
        if (n > 0) {
            m_pending.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        break;
    }
    if (m_writeNotifier)
        m_writeNotifier->setEnabled(!m_pending.isEmpty());
#endif
}
