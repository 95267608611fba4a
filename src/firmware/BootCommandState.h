#pragma once
#include "link/states/CommandResponseState.h"

// A one-letter boot loader command answered by one letter: "A" accepts; "N", "F" or "P" is a
// refusal that ends the load with the state's refusal code, since going on would program a
// flash that is locked or not erased.
template <class SM> class CBootCommandState : public CCommandResponseState<SM> {
public:
    CBootCommandState(SM* host, const char* name, CState<SM>* next, DWORD timeout, const QByteArray& command,
        DWORD noAnswerCode, DWORD refusedCode)
        : CCommandResponseState<SM>(host, name, next, timeout, command, noAnswerCode)
        , m_refusedCode(refusedCode)
    {
    }

    QByteArray GetTerminators() const override { return QByteArrayLiteral("ANFP"); }
    void OnResponse() override
    {
        this->m_host->StopTimer();
        if (this->m_host->m_received.contains('A'))
            this->Accept();
        else
            this->Fail(m_refusedCode);
    }

    DWORD m_refusedCode;
};
