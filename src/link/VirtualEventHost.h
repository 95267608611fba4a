#pragma once
#include "model/EventHost.h"
#include <cstdint>
#include <map>
#include <utility>

// An event host on a virtual clock for tests and benchmarks: nothing happens until the test
// advances the clock, and a 5000 ms time-out costs no real time. Events due at the same
// moment run in the order they were scheduled.
class CVirtualEventHost : public IEventHost {
public:
    DWORD TickCount() const override { return static_cast<DWORD>(m_now); }
    TimerHandle StartTimer(DWORD ms, std::function<void()> callback) override;
    void StopTimer(TimerHandle handle) override;
    void Post(std::function<void()> callback) override;

    std::uint64_t Now() const { return m_now; }
    // Runs everything due within the next `ms` milliseconds; the clock ends `ms` later.
    void Advance(std::uint64_t ms);
    // Runs events until none is left or `limitMs` of virtual time have passed; answers whether
    // the queue ran empty.
    bool RunUntilIdle(std::uint64_t limitMs = 24ull * 3600 * 1000);
    // Runs events until the condition holds (checked after each event) or the limit passes.
    template <class Pred>
    bool RunUntil(Pred condition, std::uint64_t limitMs = 24ull * 3600 * 1000)
    {
        const std::uint64_t end = m_now + limitMs;
        while (!condition()) {
            if (!RunNext(end))
                return condition();
        }
        return true;
    }
    std::size_t PendingCount() const { return m_queue.size(); }

private:
    bool RunNext(std::uint64_t notAfter);
    using Key = std::pair<std::uint64_t, std::uint64_t>;  // due time, sequence
    std::map<Key, std::pair<TimerHandle, std::function<void()>>> m_queue;
    std::map<TimerHandle, Key> m_handles;
    std::uint64_t m_now = 0;
    std::uint64_t m_sequence = 0;
    TimerHandle m_nextHandle = 1;
};
