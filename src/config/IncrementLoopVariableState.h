#pragma once
#include "link/State.h"

// Adds 1 to the machine's loop variable and goes back to the loop condition at once.
template <class SM> class CIncrementLoopVariableState : public CState<SM> {
public:
    using CState<SM>::CState;
    void Enter() override
    {
        ++this->m_host->m_loopVariable;
        this->GoToNext();
    }
};
