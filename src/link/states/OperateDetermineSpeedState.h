#pragma once
#include "link/states/CommandResponseRetryState.h"

// The operate machine's speed check: as CDetermineSpeedState, but it gives up after trying
// every speed once, back at the speed it started from. Leaving the speed it started from, it
// takes the amplifier as gone (firmware status 0) until the cycle finds it again.
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
        // No answer at the speed it was found at: the amplifier is not there as far as anyone
        // can tell, and nothing may say "connected at" the speeds being tried. The end of the
        // cycle publishes the status again if it is found.
        if (model->PortSpeed() == m_startSpeed)
            model->PublishFirmwareStatus(FirmwareNone);
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
