#pragma once
#include "model/StateMachine.h"
#include "model/EventSource.h"

// The long-lived machine that opens the chosen port, finds the amplifier's speed and reads its
// identity, revision and serial number; it also closes the port.
class IContactStateMachine : public IStateMachine {
public:
    virtual bool StartClosePort() = 0;      // at any time
    virtual bool StartContact() = 0;        // at any time
    virtual bool StartRevisionQuery() = 0;  // only when idle
    // Told when the machine starts and when it ends: a search's start and end change nothing
    // else that could be observed when the amplifier stays unfound.
    virtual CEventSource& Activity() = 0;
};
