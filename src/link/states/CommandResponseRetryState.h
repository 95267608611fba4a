#pragma once
#include "link/states/CommandResponseState.h"

// A required answer, asked for up to the machine's retry limit (10 sends) per visit.
template <class SM>
class CCommandResponseRetryState : public CCommandResponseState<SM> {
public:
    using CCommandResponseState<SM>::CCommandResponseState;

    void Prepare() override
    {
        CCommandResponseState<SM>::Prepare();
        m_retryCount = 0;
    }
    void OnTimeout() override
    {
        if (++m_retryCount < this->m_host->m_retryLimit)
            this->Send();
        else
            this->Fail(this->m_errorCode);
    }

    DWORD m_retryCount = 0;
};
