#pragma once
#include "link/State.h"

// The save's region loop: the body reads one region; after the last one the loop exits.
template <class SM> class CConfigSaveSerialPromLoopConditionState : public CState<SM> {
public:
    CConfigSaveSerialPromLoopConditionState(SM* host, const char* name, CState<SM>* body, CState<SM>* exit)
        : CState<SM>(host, name, body)
        , m_exit(exit)
    {
    }
    void Enter() override
    {
        if (this->m_host->m_loopVariable >= this->m_host->RegionCount())
            this->m_host->EnterState(m_exit);
        else
            this->GoToNext();
    }

private:
    CState<SM>* m_exit;
};
