#pragma once
#include "model/EventHost.h"
#include "model/EventSink.h"
#include <functional>
#include <memory>

class CModel;
class IOperateStateMachine;

// Drives the operate poll cycles while the Operate page is shown: creates the machine as soon as
// the model allows it (a contact search or another task may still be running when the page
// appears), restarts a cycle on its timer, and never lets two cycles overlap.
//
// The restart routine: stop the timer; count the restart (up to 50); poll at the
// "OperatePollInterval" setting, or every 10000 ms once 50 restarts have passed with the
// amplifier off, no power request and the POWER ON box clear; start a cycle, or mark the tick
// missed while one runs (the end of that cycle then restarts at once); start the timer.
class COperatePoller : public IEventSink {
public:
    static constexpr unsigned kRestartLimit = 50;
    static constexpr DWORD kIdleInterval = 10000;

    explicit COperatePoller(CModel& model);
    ~COperatePoller();
    COperatePoller(const COperatePoller&) = delete;
    COperatePoller& operator=(const COperatePoller&) = delete;

    // The page became the one shown / stopped being shown (the machine is released then).
    void Start();
    void Stop();
    bool IsStarted() const { return m_started; }

    IOperateStateMachine* Machine() const { return m_machine; }
    // Makes a request on the machine and restarts, so that an idle machine sends it at once.
    // False (nothing done) while there is no machine.
    bool Request(const std::function<void(IOperateStateMachine&)>& request);
    void Restart();

    // Whether the page's POWER ON box is checked: polling stays fast while it is.
    void SetPowerBoxProbe(std::function<bool()> probe) { m_powerBoxProbe = std::move(probe); }

    unsigned RestartCount() const { return m_restartCount; }
    bool MissedTick() const { return m_missedTick; }
    // The interval the timer was last started with.
    DWORD Interval() const { return m_interval; }

    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;

private:
    bool EnsureMachine();
    void ForgetMachine();
    void StartTimer(DWORD ms);
    void StopTimer();
    // Restarts from the event loop, not from inside the machine that is finishing.
    void PostRestart();
    DWORD ChooseInterval() const;

    CModel& m_model;
    IOperateStateMachine* m_machine = nullptr;
    IEventHost::TimerHandle m_timer = 0;
    bool m_timerRunning = false;
    bool m_started = false;
    bool m_restartPosted = false;
    unsigned m_restartCount = 0;
    bool m_missedTick = false;
    DWORD m_interval = 0;
    std::function<bool()> m_powerBoxProbe;
    // Posted work checks this: the poller may be gone by the time it runs.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
