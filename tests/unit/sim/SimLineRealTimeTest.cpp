// The simulated line on the real clock: it sleeps between bytes rather than spinning through the
// event loop, and still hands every byte over once, in order.
#include "EventLoop.h"
#include "link/QtEventHost.h"
#include "sim/SimLine.h"
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
