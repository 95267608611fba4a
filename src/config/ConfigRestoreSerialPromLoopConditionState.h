#pragma once
#include "link/State.h"

// The restore's record loop: the body writes one record; after the last one the loop exits.
template <class SM> class CConfigRestoreSerialPromLoopConditionState : public CState<SM> {
public:
    CConfigRestoreSerialPromLoopConditionState(SM* host, const char* name, CState<SM>* body, CState<SM>* exit)
        : CState<SM>(host, name, body)
        , m_exit(exit)
    {
    }
    void Enter() override
    {
        using Stage = typename SM::WriteStage;
        if (this->m_host->m_loopVariable >= this->m_host->RecordCount()) {
            this->m_host->SetStage(Stage::Written);
            this->m_host->EnterState(m_exit);
        } else {
            this->m_host->SetStage(Stage::Writing);
            this->GoToNext();
        }
    }

private:
    CState<SM>* m_exit;
};
