#pragma once
#include "model/Types.h"

// What windows and the dispatcher see of every conversation with the amplifier.
class IStateMachine {
public:
    virtual ~IStateMachine() = default;
    // Marks the machine cancelled (result 1223 unless it already failed); it stops at its next
    // send. False when idle.
    virtual bool Cancel() = 0;
    virtual bool IsIdle() const = 0;
    // A machine made for one task is destroyed here; the contact machine stays.
    virtual void Release() = 0;
    virtual void OnCommEvent(bool& handled) = 0;
    virtual void OnTimer(DWORD timerId, bool& handled) = 0;
    virtual DWORD ResultCode() const = 0;
    // Tries sent again so far because an answer was lost, damaged or not yet confirmed; progress
    // displays show it beside the bar. Machines that never retry answer 0.
    virtual DWORD RetryCount() const { return 0; }
};
