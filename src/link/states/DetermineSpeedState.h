#pragma once
#include "link/states/CommandResponseRetryState.h"

// Finds the speed at which the amplifier answers: 4 polls ";" of 100 ms at each speed, in the
// order 230400, 115200, 57600, 38400, 19200, 9600, 4800, 230400 ... Any answer ending in ";"
// shows that the amplifier listens at the current speed. The retry count counts speed
// changes; when it reaches 20 the machine fails.
template <class SM>
class CDetermineSpeedState : public CCommandResponseRetryState<SM> {
public:
    static constexpr DWORD kPollsPerSpeed = 4;
    static constexpr DWORD kSpeedChangeLimit = 20;

    CDetermineSpeedState(SM* host, const char* name, CState<SM>* next, DWORD errorCode = Result::NoResponseAfterReset)
        : CCommandResponseRetryState<SM>(host, name, next, 100, QByteArrayLiteral(";"), errorCode)
    {
    }

    void Prepare() override
    {
        CCommandResponseRetryState<SM>::Prepare();
        m_attemptCount = 0;
    }
    void Enter() override { this->Send(); }
    void OnTimeout() override
    {
        if (++m_attemptCount < kPollsPerSpeed) {
            this->Send();
            return;
        }
        if (++this->m_retryCount >= kSpeedChangeLimit) {
            this->Fail(this->m_errorCode);
            return;
        }
        CModel* model = this->m_host->Model();
        const DWORD speed = NextDetectionSpeed(model->PortSpeed());
        model->SetPortSpeed(speed);
        model->NotifyPortSpeed();
        if (model->IsTracing())
            this->m_host->Trace(FormatResource(IDS_TRACE_CHANGE_SPEED, QString::fromLatin1(this->m_name), speed));
        m_attemptCount = 0;
        this->Send();
    }

    DWORD m_attemptCount = 0;
};
