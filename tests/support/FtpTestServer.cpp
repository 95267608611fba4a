#include "FtpTestServer.h"
#include "TestFiles.h"
#include <QDeadlineTimer>
#include <QDir>

namespace {
const char kScript[] = R"(
import logging, os, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler, ThrottledDTPHandler
from pyftpdlib.servers import FTPServer

root, rate = sys.argv[1], int(sys.argv[2])

class Handler(FTPHandler):
    def ftp_LIST(self, path):
        canned = os.path.join(path, ".listing")
        if os.path.isfile(canned):
            with open(canned, "rb") as f:
                self.push_dtp_data(f.read(), isproducer=False, cmd="LIST")
            return path
        return FTPHandler.ftp_LIST(self, path)

    def ftp_SIZE(self, path):
        # A server that cuts transfers announces no size but the listing's.
        if os.path.isfile(os.path.join(os.path.dirname(path), ".cut")):
            self.respond("502 Command not implemented.")
            return
        return FTPHandler.ftp_SIZE(self, path)

    def ftp_RETR(self, file):
        # ".cut" holds "BYTES TIMES": that many transfers of files longer than BYTES end after
        # BYTES, still said complete.
        cut = os.path.join(os.path.dirname(file), ".cut")
        if os.path.isfile(cut):
            with open(cut) as f:
                size, times = (int(v) for v in f.read().split())
            if times > 0 and os.path.getsize(file) > size:
                with open(cut, "w") as f:
                    f.write("%d %d" % (size, times - 1))
                fd = open(file, "rb")
                self.push_dtp_data(fd.read(size), isproducer=False, file=fd, cmd="RETR")
                return file
        return FTPHandler.ftp_RETR(self, file)

authorizer = DummyAuthorizer()
authorizer.add_anonymous(root)
Handler.authorizer = authorizer
if rate > 0:
    class Throttled(ThrottledDTPHandler):
        write_limit = rate
    Handler.dtp_handler = Throttled
logging.basicConfig(stream=sys.stderr, level=logging.INFO, format="%(message)s")
server = FTPServer(("127.0.0.1", 0), Handler)
print(server.socket.getsockname()[1], flush=True)
server.serve_forever()
)";
} // namespace

CFtpTestServer::CFtpTestServer(int bytesPerSecond)
{
    QDir().mkpath(FirmwareFolder());
    m_process.start(QStringLiteral("/usr/bin/python3"),
        {QStringLiteral("-u"), QStringLiteral("-c"), QString::fromLatin1(kScript), m_root.path(),
            QString::number(bytesPerSecond)});
    if (!m_process.waitForStarted(10000))
        return;
    QDeadlineTimer deadline(15000);
    while (!m_process.canReadLine() && !deadline.hasExpired() && m_process.state() == QProcess::Running)
        m_process.waitForReadyRead(100);
    m_port = static_cast<quint16>(m_process.readLine().trimmed().toUInt());
}

CFtpTestServer::~CFtpTestServer()
{
    m_process.terminate();
    if (!m_process.waitForFinished(5000)) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

void CFtpTestServer::Put(const QString& name, const QByteArray& bytes)
{
    WriteWholeFile(QDir(FirmwareFolder()).filePath(name), bytes);
}

int CFtpTestServer::CountLog(const QString& fragment, int expected, int waitMs)
{
    QDeadlineTimer deadline(waitMs);
    for (;;) {
        m_log += m_process.readAllStandardError();
        const int count = static_cast<int>(QString::fromUtf8(m_log).count(fragment));
        if (count >= expected || deadline.hasExpired())
            return count;
        m_process.waitForReadyRead(50);
    }
}
