#include "FtpTestServer.h"
#include "TestFiles.h"
#include <QDeadlineTimer>
#include <QDir>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

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
    const QByteArray root = m_root.path().toLocal8Bit(), rate = QByteArray::number(bytesPerSecond);
    const char* argv[] = {"/usr/bin/python3", "-u", "-c", kScript, root.constData(), rate.constData(), nullptr};
    int pipe[2];
    if (::pipe2(pipe, O_CLOEXEC) != 0)
        return;
    m_pid = ::fork();
    if (m_pid == 0) { // the log and the port both on the pipe: the port line comes first
        ::dup2(pipe[1], 1);
        ::dup2(pipe[1], 2);
        ::execv(argv[0], const_cast<char**>(argv));
        ::_exit(127);
    }
    ::close(pipe[1]);
    m_output = pipe[0];
    QByteArray line;
    char c = 0;
    pollfd ready {m_output, POLLIN, 0};
    while (m_pid > 0 && !line.endsWith('\n') && ::poll(&ready, 1, 15000) == 1 && ::read(m_output, &c, 1) == 1)
        line += c;
    m_port = static_cast<quint16>(line.trimmed().toUInt());
    ::fcntl(m_output, F_SETFL, O_NONBLOCK);
}

CFtpTestServer::~CFtpTestServer()
{
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
    }
    if (m_output >= 0)
        ::close(m_output);
}

void CFtpTestServer::Put(const QString& name, const QByteArray& bytes)
{
    WriteWholeFile(QDir(FirmwareFolder()).filePath(name), bytes);
}

int CFtpTestServer::CountLog(const QString& fragment, int expected, int waitMs)
{
    QDeadlineTimer deadline(waitMs);
    for (;;) {
        char buffer[4096];
        for (ssize_t n; (n = ::read(m_output, buffer, sizeof buffer)) > 0;)
            m_log.append(buffer, n);
        const int count = static_cast<int>(QString::fromUtf8(m_log).count(fragment));
        if (count >= expected || deadline.hasExpired())
            return count;
        pollfd ready {m_output, POLLIN, 0};
        ::poll(&ready, 1, 50);
    }
}
