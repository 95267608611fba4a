#pragma once
#include "model/StateMachine.h"

// The two destructive maintenance tasks: a reset of the configuration to factory default (the
// ATU memories are kept) and the erase of ATU memories for one band (or all) of one antenna.
class IEraseConfigStateMachine : public IStateMachine {
public:
    // Only when idle; true if started.
    virtual bool StartResetConfiguration() = 0;
    // Only when idle: erases for the model's band number (0 to 10, 11 for all bands) and
    // antenna (1 or 2) values.
    virtual bool StartEraseMemory() = 0;
};
