#include "model/Dispatcher.h"
#include "model/StateMachine.h"

CDispatcher::CDispatcher(IEventHost& host, MachineGetter contact, MachineGetter running)
    : m_host(host), m_contact(std::move(contact)), m_running(std::move(running))
{
}

CDispatcher::~CDispatcher()
{
    for (auto& [id, handle] : m_timers)
        m_host.StopTimer(handle);
}

void CDispatcher::OnCommEvent()
{
    bool handled = false;
    IStateMachine* contact = m_contact ? m_contact() : nullptr;
    if (contact && !contact->IsIdle()) {
        contact->OnCommEvent(handled);
        return;
    }
    IStateMachine* running = m_running ? m_running() : nullptr;
    if (running && !running->IsIdle()) {
        running->OnCommEvent(handled);
        return;
    }
    if (m_fallback)
        m_fallback();
}

void CDispatcher::OnTimer(DWORD timerId)
{
    bool handled = false;
    IStateMachine* contact = m_contact ? m_contact() : nullptr;
    if (contact && !contact->IsIdle())
        contact->OnTimer(timerId, handled);
    if (handled)
        return;
    IStateMachine* running = m_running ? m_running() : nullptr;
    if (running && !running->IsIdle())
        running->OnTimer(timerId, handled);
}

void CDispatcher::SetTimer(DWORD timerId, DWORD ms)
{
    KillTimer(timerId);
    m_timers[timerId] = m_host.StartTimer(ms, [this, timerId]() {
        m_timers.erase(timerId);
        OnTimer(timerId);
    });
}

void CDispatcher::KillTimer(DWORD timerId)
{
    auto it = m_timers.find(timerId);
    if (it == m_timers.end())
        return;
    m_host.StopTimer(it->second);
    m_timers.erase(it);
}
