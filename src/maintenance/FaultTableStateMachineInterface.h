#pragma once
#include "model/StateMachine.h"

// The fault table's conversation as its reader drives it: the index first, then one entry at a
// time at the slot the index word names.
class IFaultTableStateMachine : public IStateMachine {
public:
    // Only when idle: finds the speed, identifies the amplifier and reads the 2-byte index.
    virtual bool StartReadIndex() = 0;
    // Reads the 32-byte entry of the slot in the index word, without speed search or identify.
    // False when the index word is 1024 or more, or while the machine is busy.
    virtual bool StartReadEntry() = 0;
};
