#pragma once
#include "link/StateHost.h"

// Sends a command and goes on when its time-out ends; answers are dropped. An empty command
// passes straight on. Its Prepare does nothing, so the terminators of the previous state stay.
template <class SM>
class CCommandDelayState : public CState<SM> {
public:
    CCommandDelayState(SM* host, const char* name, CState<SM>* next, DWORD timeout, const QByteArray& command)
        : CState<SM>(host, name, next), m_timeout(timeout), m_command(command)
    {
    }

    void Enter() override
    {
        if (m_command.isEmpty())
            this->GoToNext();
        else
            Send();
    }
    void OnTimeout() override { this->GoToNext(); }
    void TraceSend(const QByteArray& command) override
    {
        if (this->m_host->Model()->IsTracing())
            this->m_host->Trace(FormatResource(IDS_TRACE_SEND, QString::fromLatin1(this->m_name),
                                               SM::EscapeForTrace(command)));
    }

    // A failed or cancelled machine stops here, at its next send. The receive buffer is
    // cleared first, so an answer always belongs to the command just sent.
    virtual void Send()
    {
        SM* host = this->m_host;
        if (Result::Failed(host->m_result)) {
            this->GoToFinal();
            return;
        }
        host->m_received.clear();
        TraceSend(m_command);
        ISerialPort* port = host->Model()->Port();
        if (!port || !port->PurgeReceive() || !port->WriteText(QString::fromLatin1(m_command))) {
            host->m_result = port ? port->LastError() : Result::InvalidHandle;
            if (!Result::Failed(host->m_result))
                host->m_result = Result::InvalidHandle;
            this->GoToFinal();
            return;
        }
        host->StartTimer(AnswerWait());
    }
    // How long this send waits: the state's time-out, or less where the state learns from the
    // line (the EEPROM block states).
    virtual DWORD AnswerWait() { return m_timeout; }

    DWORD m_timeout;
    QByteArray m_command;
};
