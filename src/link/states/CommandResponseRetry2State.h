#pragma once
#include "link/states/CommandResponseRetryState.h"

// A retrying state that may change its command during a visit (a set command becoming a
// query) and starts every visit with the stored one.
template <class SM>
class CCommandResponseRetry2State : public CCommandResponseRetryState<SM> {
public:
    CCommandResponseRetry2State(SM* host, const char* name, CState<SM>* next, DWORD timeout, const QByteArray& command,
                                DWORD errorCode)
        : CCommandResponseRetryState<SM>(host, name, next, timeout, command, errorCode), m_storedCommand(command)
    {
    }
    void Prepare() override
    {
        RestoreCommand();
        CCommandResponseRetryState<SM>::Prepare();
    }
    virtual void RestoreCommand() { this->m_command = m_storedCommand; }

    QByteArray m_storedCommand;
};
