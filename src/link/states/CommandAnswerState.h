#pragma once
#include "link/states/CommandDelayState.h"

// What the optional-answer and required-answer command states share: the answer check
// (ProcessResponse), what happens to an accepted answer (Accept, Advance) and the characters
// that end an answer. A rejected answer is dropped and the time-out still runs.
template <class SM>
class CCommandAnswerState : public CCommandDelayState<SM> {
public:
    using CCommandDelayState<SM>::CCommandDelayState;

    void Prepare() override { this->m_host->m_terminators = GetTerminators(); }
    void OnResponse() override
    {
        if (ProcessResponse()) {
            this->m_host->StopTimer();
            Accept();
        }
    }
    virtual void Accept() { Advance(); }
    virtual QByteArray GetTerminators() const { return QByteArrayLiteral(";"); }
    virtual void Advance() { this->GoToNext(); }
    // Checks the received text (the host's m_received) and takes its value; true accepts it.
    virtual bool ProcessResponse() { return true; }
};
