#pragma once
#include "model/ContactStateMachineInterface.h"
#include "link/ContactStates.h"
#include "link/states/QueryIState.h"

// Opens the chosen port, finds the amplifier's speed, identifies it and reads its revision and
// serial number. The model keeps it for the life of the program; it ends by publishing the
// firmware status (no completion event).
class CContactStateMachine : public CStateHost<CContactStateMachine, IContactStateMachine> {
public:
    static constexpr DWORD kTimerId = 23;
    explicit CContactStateMachine(CModel* model);

    static constexpr std::uint32_t kActivityEventId = 0x807E;
    bool StartClosePort() override { return Started(StartAt(&m_closePortState, false)); }
    bool StartContact() override { return Started(StartAt(&m_openPortState, false)); }
    bool StartRevisionQuery() override { return Started(StartAt(&m_getFirmwareVersionState, true)); }
    CEventSource& Activity() override { return m_activity; }
    // A search that polls for the speed stops at once: it may wait up to 5000 ms for its next
    // poll, and no answer it waits for can matter once the user has stopped it. Elsewhere the
    // machine stops at its next send, as every machine does.
    bool Cancel() override;
    void Release() override {}

protected:
    void OnFinalState() override;

private:
    bool Started(bool started)
    {
        if (started && !IsIdle())
            m_activity.Notify();
        return started;
    }

    CEventSource m_activity {kActivityEventId};
    CClosePortState<CContactStateMachine> m_closePortState;
    COpenPortState<CContactStateMachine> m_openPortState;
    CEstablishContactState<CContactStateMachine> m_establishContactState;
    CQueryIState<CContactStateMachine> m_queryIState;
    CGetFirmwareVersionState<CContactStateMachine> m_getFirmwareVersionState;
    CGetSerialNumberState<CContactStateMachine> m_getSerialNumberState;
};
