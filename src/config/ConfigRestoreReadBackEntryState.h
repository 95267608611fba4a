#pragma once
#include "link/State.h"

// Between the write loop and the power cycle: when the writes met a lost or damaged answer,
// every record written is read back (body) before the amplifier restarts on what it holds;
// on a clean line the restore goes straight on (exit).
template <class SM> class CConfigRestoreReadBackEntryState : public CState<SM> {
public:
    CConfigRestoreReadBackEntryState(SM* host, const char* name, CState<SM>* body, CState<SM>* exit)
        : CState<SM>(host, name, body)
        , m_exit(exit)
    {
    }
    void Enter() override
    {
        if (!this->m_host->Link().SawLossOrDamage()) {
            this->m_host->EnterState(m_exit);
            return;
        }
        this->m_host->BeginReadBack();
        this->GoToNext();
    }

private:
    CState<SM>* m_exit;
};
