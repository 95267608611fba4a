#pragma once
#include "link/StateMachine.h"

// The long-lived machine that opens the chosen port, finds the amplifier's speed and reads its
// identity, revision and serial number; it also closes the port.
class IContactStateMachine : public IStateMachine {
public:
    virtual bool StartClosePort() = 0;      // at any time
    virtual bool StartContact() = 0;        // at any time
    virtual bool StartRevisionQuery() = 0;  // only when idle
};
