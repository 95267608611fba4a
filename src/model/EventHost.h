#pragma once
#include "model/Types.h"
#include <functional>

// What the machines need of the platform's event loop: one-shot timers, a millisecond tick
// count and a way to run work later on the user-interface thread (port notifications are
// delivered that way, never as a direct call from I/O code).
class IEventHost {
public:
    using TimerHandle = std::uint64_t;
    virtual ~IEventHost() = default;
    virtual DWORD TickCount() const = 0;
    // The same clock in microseconds, for whoever must time things finer than a millisecond
    // (the simulated amplifier's line).
    virtual std::uint64_t MicroTicks() const { return static_cast<std::uint64_t>(TickCount()) * 1000; }
    // Whether MicroTicks is finer than the timers (which count whole milliseconds).
    virtual bool HasFineClock() const { return false; }
    virtual TimerHandle StartTimer(DWORD ms, std::function<void()> callback) = 0;
    virtual void StopTimer(TimerHandle handle) = 0;
    virtual void Post(std::function<void()> callback) = 0;
};
