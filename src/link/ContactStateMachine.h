#pragma once
#include "link/ContactStateMachineInterface.h"
#include "link/ContactStates.h"
#include "link/QueryIState.h"

// Opens the chosen port, finds the amplifier's speed, identifies it and reads its revision and
// serial number. The model keeps it for the life of the program; it ends by publishing the
// firmware status (no completion event).
class CContactStateMachine : public CStateHost<CContactStateMachine, IContactStateMachine> {
public:
    static constexpr DWORD kTimerId = 23;
    explicit CContactStateMachine(CModel* model);

    bool StartClosePort() override { return StartAt(&m_closePortState, false); }
    bool StartContact() override { return StartAt(&m_openPortState, false); }
    bool StartRevisionQuery() override { return StartAt(&m_getFirmwareVersionState, true); }
    void Release() override {}

protected:
    void OnFinalState() override;

private:
    CClosePortState<CContactStateMachine> m_closePortState;
    COpenPortState<CContactStateMachine> m_openPortState;
    CEstablishContactState<CContactStateMachine> m_establishContactState;
    CQueryIState<CContactStateMachine> m_queryIState;
    CGetFirmwareVersionState<CContactStateMachine> m_getFirmwareVersionState;
    CGetSerialNumberState<CContactStateMachine> m_getSerialNumberState;
};
