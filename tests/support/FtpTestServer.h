#pragma once
// A real FTP server on loopback for the download tests: Debian's pyftpdlib, run by Debian's own
// Python on a free port, serving a temporary folder to anonymous users. The folder holds
// "QRO4000/firmware", below a starting folder when one is chosen (so that the cases of a suite
// can share one server); a file ".listing" there replaces the answer to LIST with its bytes,
// for listings no file system can hold, and a file ".cut" holding "BYTES TIMES" cuts that many
// transfers of longer files short after BYTES while the server still says they are complete
// (and answers no SIZE, as such servers do). The server's log
// (one line per transfer) is kept. It is started with fork() and exec(), not QProcess: Qt starts
// children with clone(CLONE_VM), which ThreadSanitizer does not see, and afterwards it reports
// races on locks the starting thread holds.
#include "EventLoop.h"
#include <QDir>
#include <QTemporaryDir>

class CFtpTestServer {
public:
    // With bytesPerSecond above 0 every transfer is throttled to that rate.
    explicit CFtpTestServer(int bytesPerSecond = 0);
    ~CFtpTestServer();

    bool IsRunning() const { return m_port != 0; }
    // Url() and FirmwareFolder() lead below this folder from now on.
    void UseStartFolder(const QString& start)
    {
        m_start = start;
        QDir().mkpath(FirmwareFolder());
    }
    QString Url() const { return QStringLiteral("ftp://127.0.0.1:%1/%2").arg(m_port).arg(m_start); }
    QString FirmwareFolder() const { return QDir(m_root.filePath(m_start)).filePath(QStringLiteral("QRO4000/firmware")); }
    void Put(const QString& name, const QByteArray& bytes);
    void SetListing(const QByteArray& listing) { Put(QStringLiteral(".listing"), listing); }
    // Lines of the server's log that hold `fragment`, waiting up to `waitMs` for `expected`.
    int CountLog(const QString& fragment, int expected = 0, int waitMs = 0);

    // A loopback port where nothing listens.
    static quint16 UnusedPort() { return FreePort(); }

private:
    QTemporaryDir m_root;
    int m_pid = -1;
    int m_output = -1; // the server's standard output, then its log
    QByteArray m_log;
    quint16 m_port = 0;
    QString m_start;
};
