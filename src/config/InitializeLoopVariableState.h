#pragma once
#include "link/State.h"

// Sets the machine's loop variable to 0 and goes on at once.
template <class SM> class CInitializeLoopVariableState : public CState<SM> {
public:
    using CState<SM>::CState;
    void Enter() override
    {
        this->m_host->m_loopVariable = 0;
        this->GoToNext();
    }
};
