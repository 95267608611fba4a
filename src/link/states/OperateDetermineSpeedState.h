#pragma once
#include "link/states/CommandResponseRetryState.h"

// The operate machine's speed check: as CDetermineSpeedState, but it gives up after trying
// every speed once, back at the speed it started from.
template <class SM>
class COperateDetermineSpeedState : public CCommandResponseRetryState<SM> {
public:
    COperateDetermineSpeedState(SM* host, const char* name, CState<SM>* next,
                                DWORD errorCode = Result::NoSemicolonResponse)
        : CCommandResponseRetryState<SM>(host, name, next, 100, QByteArrayLiteral(";"), errorCode)
    {
    }

    void Prepare() override
    {
        CCommandResponseRetryState<SM>::Prepare();
        m_attemptCount = 0;
        m_startSpeed = this->m_host->Model()->PortSpeed();
    }
    void Enter() override { this->Send(); }
    void OnTimeout() override
    {
        if (++m_attemptCount < 4) {
            this->Send();
            return;
        }
        m_attemptCount = 0;
        CModel* model = this->m_host->Model();
        const DWORD speed = NextDetectionSpeed(model->PortSpeed());
        model->SetPortSpeed(speed);
        model->NotifyPortSpeed();
        if (speed == m_startSpeed)
            this->Fail(this->m_errorCode);
        else
            this->Send();
    }

    DWORD m_attemptCount = 0;
    DWORD m_startSpeed = 0;
};
