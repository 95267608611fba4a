// The simulated line on the real clock and the real pseudo-terminal: it sleeps between bytes
// rather than spinning through the event loop, and the terminal stays the simulator's own.
#include "EventLoop.h"
#include "link/QtEventHost.h"
#include "sim/PtyServer.h"
#include "sim/SimLine.h"
#include <QProcess>
#include <gtest/gtest.h>

namespace {
class CCountingHost : public CQtEventHost {
public:
    TimerHandle StartTimer(DWORD ms, std::function<void()> callback) override
    {
        ++timers;
        return CQtEventHost::StartTimer(ms, std::move(callback));
    }
    int timers = 0;
};
} // namespace

TEST(SimLineRealTime, WakesAboutOncePerMillisecondOfLineTime)
{
    EnsureApplication();
    CCountingHost host;
    QByteArray got;
    CSimLine line(host, false, [&](const QByteArray& bytes, DWORD, std::uint64_t) { got += bytes; });
    QByteArray sent;
    for (int i = 0; i < 2304; ++i) // 100 ms at 230400 bit/s, in two answers
        sent += static_cast<char>(i);
    line.Push(sent.left(1000), 230400, true);
    line.Push(sent.mid(1000), 230400, true);
    ASSERT_TRUE(RunEventsUntil([&] { return got.size() == sent.size(); }, 10000));
    EXPECT_EQ(got, sent);
    EXPECT_LE(host.timers, 110);
}

// A program started meanwhile (a serial device server, the command line) must not hold the
// terminal's ends: it would keep the line alive after the simulator closed it.
TEST(SimPtyDescriptors, ChildProcessesDoNotInheritTheTerminal)
{
    EnsureApplication();
    CQtEventHost host;
    CPtyServer server(std::make_shared<CSimDevice>(host, CSimDevice::Options {}));
    ASSERT_TRUE(server.Start(nullptr));
    QProcess child;
    child.start(QStringLiteral("/bin/sh"), {"-c", "ls -l /proc/$$/fd"});
    ASSERT_TRUE(child.waitForFinished(10000));
    const QString fds = QString::fromLocal8Bit(child.readAllStandardOutput());
    EXPECT_FALSE(fds.contains(server.SlavePath()) || fds.contains("/dev/ptmx")) << qPrintable(fds);
}
