#include "link/VirtualEventHost.h"

IEventHost::TimerHandle CVirtualEventHost::StartTimer(DWORD ms, std::function<void()> callback)
{
    const TimerHandle handle = m_nextHandle++;
    const Key key{m_now + ms, m_sequence++};
    m_queue.emplace(key, std::make_pair(handle, std::move(callback)));
    m_handles.emplace(handle, key);
    return handle;
}

void CVirtualEventHost::StopTimer(TimerHandle handle)
{
    auto it = m_handles.find(handle);
    if (it == m_handles.end())
        return;
    m_queue.erase(it->second);
    m_handles.erase(it);
}

void CVirtualEventHost::Post(std::function<void()> callback)
{
    StartTimer(0, std::move(callback));
}

bool CVirtualEventHost::RunNext(std::uint64_t notAfter)
{
    if (m_queue.empty())
        return false;
    auto it = m_queue.begin();
    if (it->first.first > notAfter)
        return false;
    m_now = std::max(m_now, it->first.first);
    auto callback = std::move(it->second.second);
    m_handles.erase(it->second.first);
    m_queue.erase(it);
    callback();
    return true;
}

void CVirtualEventHost::Advance(std::uint64_t ms)
{
    const std::uint64_t end = m_now + ms;
    while (RunNext(end)) {
    }
    m_now = end;
}

bool CVirtualEventHost::RunUntilIdle(std::uint64_t limitMs)
{
    const std::uint64_t end = m_now + limitMs;
    while (RunNext(end)) {
    }
    return m_queue.empty();
}
