// Routing of port notifications and timers between the contact machine, the running task
// machine and the page shown.
#include "model/Dispatcher.h"
#include "RowName.h"
#include "model/StateMachine.h"
#include "link/VirtualEventHost.h"
#include <gtest/gtest.h>

namespace {
using ::operator<<;
class CFakeMachine : public IStateMachine {
public:
    explicit CFakeMachine(DWORD timerId)
        : m_timerId(timerId)
    {
    }
    bool Cancel() override { return false; }
    bool IsIdle() const override { return idle; }
    void Release() override { }
    void OnCommEvent(bool& handled) override
    {
        handled = true;
        ++commEvents;
    }
    void OnTimer(DWORD id, bool& handled) override
    {
        if (id != m_timerId)
            return;
        handled = true;
        ++timers;
    }
    DWORD ResultCode() const override { return 0; }
    bool idle = true;
    int commEvents = 0, timers = 0;

private:
    DWORD m_timerId;
};

struct RouteCase {
    const char* name;
    bool contactBusy, taskBusy;
    int contactEvents, taskEvents, pageEvents;
};
} // namespace

class Routing : public ::testing::TestWithParam<RouteCase> { };

TEST_P(Routing, PortNotificationGoesToTheFirstBusyMachineElseThePage)
{
    const RouteCase& c = GetParam();
    CVirtualEventHost host;
    CFakeMachine contact(23), task(10);
    contact.idle = !c.contactBusy;
    task.idle = !c.taskBusy;
    int page = 0;
    CDispatcher dispatcher(
        host, [&]() { return &contact; }, [&]() { return &task; });
    dispatcher.SetFallback([&]() { ++page; });
    dispatcher.OnCommEvent();
    EXPECT_EQ(contact.commEvents, c.contactEvents);
    EXPECT_EQ(task.commEvents, c.taskEvents);
    EXPECT_EQ(page, c.pageEvents);
}

INSTANTIATE_TEST_SUITE_P(Cases, Routing,
    ::testing::Values(RouteCase {"BothBusyToTheContact", true, true, 1, 0, 0},
        RouteCase {"ContactBusyToTheContact", true, false, 1, 0, 0},
        RouteCase {"TaskBusyToTheTask", false, true, 0, 1, 0}, RouteCase {"NoneBusyToThePage", false, false, 0, 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Routing, TaskTimerIsNotLostWhileTheContactMachineIsBusy)
{
    CVirtualEventHost host;
    CFakeMachine contact(23), task(10);
    contact.idle = false;
    task.idle = false;
    CDispatcher dispatcher(
        host, [&]() { return &contact; }, [&]() { return &task; });
    dispatcher.SetTimer(10, 500);
    dispatcher.SetTimer(23, 100);
    host.Advance(1000);
    EXPECT_EQ(contact.timers, 1);
    EXPECT_EQ(task.timers, 1);
}

TEST(Routing, TimersAreOneShotAndRestartable)
{
    CVirtualEventHost host;
    CFakeMachine contact(23), task(10);
    task.idle = false;
    CDispatcher dispatcher(
        host, [&]() { return &contact; }, [&]() { return &task; });
    dispatcher.SetTimer(10, 500);
    host.Advance(400);
    dispatcher.SetTimer(10, 500); // restarted: due at 900
    host.Advance(400);
    EXPECT_EQ(task.timers, 0);
    host.Advance(100);
    EXPECT_EQ(task.timers, 1);
    host.Advance(5000);
    EXPECT_EQ(task.timers, 1);
    dispatcher.SetTimer(10, 100);
    dispatcher.KillTimer(10);
    host.Advance(500);
    EXPECT_EQ(task.timers, 1);
}
