#include "operate/OperatePoller.h"
#include "model/ContactStateMachineInterface.h"
#include "model/Model.h"
#include "operate/OperateStateMachine.h"

COperatePoller::COperatePoller(CModel& model)
    : m_model(model)
{
}

COperatePoller::~COperatePoller()
{
    *m_alive = false;
    Stop();
}

void COperatePoller::Start()
{
    if (m_started)
        return;
    m_started = true;
    m_model.m_completion.AddObserver(this);
    m_model.m_firmwareStatus.AddObserver(this);
    StopTimer();
    EnsureMachine();
    Restart();
}

void COperatePoller::Stop()
{
    if (!m_started)
        return;
    m_started = false;
    m_model.m_completion.RemoveObserver(this);
    m_model.m_firmwareStatus.RemoveObserver(this);
    StopTimer();
    if (IOperateStateMachine* machine = m_machine) {
        ForgetMachine();
        machine->Release();
    }
    m_missedTick = false;
}

bool COperatePoller::EnsureMachine()
{
    if (m_machine)
        return true;
    auto* machine = m_model.CreateMachine<COperateStateMachine>();
    if (!machine)
        return false;
    // Another task's creation releases this machine while it rests between cycles.
    machine->SetReleaseNotify([this] { m_machine = nullptr; });
    m_machine = machine;
    return true;
}

void COperatePoller::ForgetMachine()
{
    if (m_machine)
        m_machine->SetReleaseNotify({});
    m_machine = nullptr;
}

bool COperatePoller::Request(const std::function<void(IOperateStateMachine&)>& request)
{
    if (!m_machine)
        return false;
    request(*m_machine);
    Restart();
    return true;
}

DWORD COperatePoller::ChooseInterval() const
{
    const bool busy = m_model.m_powerStatus.m_value != 0 || (m_machine && m_machine->IsPowerRequestPending())
        || (m_powerBoxProbe && m_powerBoxProbe()) || m_restartCount < kRestartLimit;
    return busy ? m_model.m_operatePollInterval.m_value : kIdleInterval;
}

void COperatePoller::Restart()
{
    StopTimer();
    if (!m_started)
        return;
    // Until the model lets the machine be made, keep trying at the poll interval: the page
    // must start polling by itself once the other conversation has ended.
    if (!EnsureMachine()) {
        StartTimer(m_model.m_operatePollInterval.m_value);
        return;
    }
    if (m_restartCount < kRestartLimit)
        ++m_restartCount;
    m_interval = ChooseInterval();
    // A contact search (started by the port chosen, say) owns the line until it ends: a cycle
    // beside it would change the speed under its feet and take its answers.
    IStateMachine* contact = m_model.ContactMachine();
    m_missedTick = (contact && !contact->IsIdle()) || !m_machine->StartPoll();
    // The cycle may have ended at once (a closed port) and the page been hidden meanwhile.
    if (m_started)
        StartTimer(m_interval);
}

void COperatePoller::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)index;
    (void)extra;
    if (eventId == m_model.m_completion.EventId()) {
        if (m_missedTick || !m_machine) {
            m_missedTick = false;
            PostRestart();
        }
    } else if (eventId == m_model.m_firmwareStatus.EventId()) {
        if (m_model.m_firmwareStatus.m_value == FirmwareApplication || !m_machine)
            PostRestart();
    }
}

void COperatePoller::PostRestart()
{
    if (m_restartPosted)
        return;
    m_restartPosted = true;
    std::weak_ptr<bool> alive = m_alive;
    m_model.Host().Post([this, alive] {
        const auto token = alive.lock();
        if (!token || !*token)
            return;
        m_restartPosted = false;
        Restart();
    });
}

void COperatePoller::StartTimer(DWORD ms)
{
    StopTimer();
    std::weak_ptr<bool> alive = m_alive;
    m_timer = m_model.Host().StartTimer(ms, [this, alive] {
        const auto token = alive.lock();
        if (!token || !*token)
            return;
        m_timerRunning = false;
        Restart();
    });
    m_timerRunning = true;
}

void COperatePoller::StopTimer()
{
    if (!m_timerRunning)
        return;
    m_model.Host().StopTimer(m_timer);
    m_timerRunning = false;
}
