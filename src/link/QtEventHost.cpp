#include "link/QtEventHost.h"
#include <QTimer>

CQtEventHost::CQtEventHost()
{
    m_clock.start();
}

CQtEventHost::~CQtEventHost()
{
    for (auto& [handle, timer] : m_timers)
        delete timer;
}

DWORD CQtEventHost::TickCount() const
{
    return static_cast<DWORD>(m_clock.elapsed());
}

std::uint64_t CQtEventHost::MicroTicks() const
{
    return static_cast<std::uint64_t>(m_clock.nsecsElapsed() / 1000);
}

IEventHost::TimerHandle CQtEventHost::StartTimer(DWORD ms, std::function<void()> callback)
{
    const TimerHandle handle = m_nextHandle++;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, handle, callback = std::move(callback)]() {
        auto it = m_timers.find(handle);
        if (it == m_timers.end())
            return;
        it->second->deleteLater();
        m_timers.erase(it);
        callback();
    });
    m_timers.emplace(handle, timer);
    timer->start(static_cast<int>(ms));
    return handle;
}

void CQtEventHost::StopTimer(TimerHandle handle)
{
    auto it = m_timers.find(handle);
    if (it == m_timers.end())
        return;
    it->second->stop();
    it->second->deleteLater();
    m_timers.erase(it);
}

void CQtEventHost::Post(std::function<void()> callback)
{
    QMetaObject::invokeMethod(this, std::move(callback), Qt::QueuedConnection);
}
