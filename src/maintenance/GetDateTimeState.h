#pragma once
#include "link/states/CommandResponseRetry2State.h"
#include "maintenance/ClockText.h"

// "^cc;": any answer ending in ";" is taken and read by its character positions into the model's
// amplifier time (a malformed answer is not detected; its fields read as they fall).
template <class SM> class CGetDateTimeState : public CCommandResponseRetry2State<SM> {
public:
    CGetDateTimeState(SM* host, const char* name, CState<SM>* next, DWORD timeout, DWORD errorCode)
        : CCommandResponseRetry2State<SM>(host, name, next, timeout, QByteArrayLiteral("^cc;"), errorCode)
    {
    }
    bool ProcessResponse() override
    {
        this->m_host->Model()->m_amplifierTime.Set(ClockText::ParseAnswer(this->m_host->m_received));
        return true;
    }
};
