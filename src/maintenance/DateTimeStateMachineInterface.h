#pragma once
#include "model/StateMachine.h"

// The clock conversation as the date and time page and the command line drive it. Each start
// works only while the machine is idle; each ends 100 ms after its command with the completion
// event.
class IDateTimeStateMachine : public IStateMachine {
public:
    // "^cc;": the amplifier's clock into the model's amplifier time (0x813A).
    virtual bool StartGetDateTime() = 0;
    // Sets the amplifier's clock from the model's computer time (0x807A).
    virtual bool StartSetDateTime() = 0;
    // Only the 100 ms pause, then the end.
    virtual bool StartDelay() = 0;
};
