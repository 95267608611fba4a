#pragma once
#include "link/states/CommandOptionalResponseState.h"

// An optional-answer state that starts every visit with its stored command.
template <class SM>
class CCommandOptionalResponse2State : public CCommandOptionalResponseState<SM> {
public:
    CCommandOptionalResponse2State(SM* host, const char* name, CState<SM>* next, DWORD timeout, const QByteArray& command)
        : CCommandOptionalResponseState<SM>(host, name, next, timeout, command), m_storedCommand(command)
    {
    }
    void Prepare() override
    {
        RestoreCommand();
        CCommandOptionalResponseState<SM>::Prepare();
    }
    virtual void RestoreCommand() { this->m_command = m_storedCommand; }

    QByteArray m_storedCommand;
};
