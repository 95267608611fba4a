#pragma once
#include "link/states/CommandResponseRetry2State.h"
#include "maintenance/ClockText.h"

// "^cc;": an answer in the clock's format goes into the model's amplifier time. Anything else
// (a lone ";", month 13, hour 99, a damaged digit) is dropped and the query asked again; after
// the tries the machine fails with the clock's error.
template <class SM> class CGetDateTimeState : public CCommandResponseRetry2State<SM> {
public:
    CGetDateTimeState(SM* host, const char* name, CState<SM>* next, DWORD timeout, DWORD errorCode)
        : CCommandResponseRetry2State<SM>(host, name, next, timeout, QByteArrayLiteral("^cc;"), errorCode)
    {
    }
    bool ProcessResponse() override
    {
        const std::optional<SYSTEMTIME> time = ClockText::ParseAnswer(this->m_host->m_received);
        if (time)
            this->m_host->Model()->m_amplifierTime.Set(*time);
        return time.has_value();
    }
};
