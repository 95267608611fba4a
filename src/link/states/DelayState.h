#pragma once
#include "link/StateHost.h"

// Waits its time-out, then goes on. Answers are ignored.
template <class SM>
class CDelayState : public CState<SM> {
public:
    CDelayState(SM* host, const char* name, CState<SM>* next, DWORD timeout)
        : CState<SM>(host, name, next), m_timeout(timeout)
    {
    }
    void Enter() override { this->m_host->StartTimer(m_timeout); }
    void OnTimeout() override { this->GoToNext(); }

    DWORD m_timeout;
};
