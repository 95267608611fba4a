#pragma once
#include "link/states/CommandAnswerState.h"

// Sends a command that must be answered: no acceptable answer within the time-out fails the
// machine with the state's error code.
template <class SM>
class CCommandResponseState : public CCommandAnswerState<SM> {
public:
    CCommandResponseState(SM* host, const char* name, CState<SM>* next, DWORD timeout, const QByteArray& command,
                          DWORD errorCode)
        : CCommandAnswerState<SM>(host, name, next, timeout, command), m_errorCode(errorCode)
    {
    }
    void OnTimeout() override { this->Fail(m_errorCode); }

    DWORD m_errorCode;
};
