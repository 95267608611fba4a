#pragma once
#include "model/EventHost.h"
#include <functional>
#include <unordered_map>

class IStateMachine;

// Routes port notifications and machine timers: to the contact machine while it is busy, else
// to the running task machine while it is busy, else to the fallback (the page shown, or the
// command line's raw reader). A timer the contact machine does not own goes on to the running
// machine, so a task's time-out is never lost while a contact runs beside it.
class CDispatcher {
public:
    using MachineGetter = std::function<IStateMachine*()>;
    CDispatcher(IEventHost& host, MachineGetter contact, MachineGetter running);
    ~CDispatcher();

    void SetFallback(std::function<void()> fallback) { m_fallback = std::move(fallback); }
    void OnCommEvent();
    void OnTimer(DWORD timerId);

    // One one-shot timer per identifier; setting it again restarts it.
    void SetTimer(DWORD timerId, DWORD ms);
    void KillTimer(DWORD timerId);
    bool IsTimerRunning(DWORD timerId) const { return m_timers.count(timerId) != 0; }

    IEventHost& Host() { return m_host; }

private:
    IEventHost& m_host;
    MachineGetter m_contact;
    MachineGetter m_running;
    std::function<void()> m_fallback;
    std::unordered_map<DWORD, IEventHost::TimerHandle> m_timers;
};
