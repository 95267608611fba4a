#include "model/EventSource.h"
#include <algorithm>

bool CEventSource::AddObserver(IEventSink* sink)
{
    if (!sink)
        return false;
    if (!HasObserver(sink))
        m_observers.push_back(sink);
    return true;
}

void CEventSource::RemoveObserver(IEventSink* sink)
{
    auto it = std::find(m_observers.begin(), m_observers.end(), sink);
    if (it != m_observers.end())
        m_observers.erase(it);
}

bool CEventSource::HasObserver(const IEventSink* sink) const
{
    return std::find(m_observers.begin(), m_observers.end(), sink) != m_observers.end();
}

void CEventSource::Notify(std::uintptr_t index, std::intptr_t extra)
{
    // Observers may attach or detach while being told; work from a snapshot and skip those
    // that have gone meanwhile.
    const std::vector<IEventSink*> snapshot = m_observers;
    for (IEventSink* sink : snapshot) {
        if (HasObserver(sink))
            sink->OnEvent(m_eventId, index, extra);
    }
}
