#pragma once
#include "link/states/DelayState.h"
#include "maintenance/DateTimeStateMachineInterface.h"
#include "maintenance/GetDateTimeState.h"
#include "maintenance/SetDateTimeState.h"

// Reads and sets the amplifier's clock.
//
//   StartGetDateTime: GetDateTimeState "^cc;" 500 ms, 10 sends (0xE2000512) -> DelayState
//   StartSetDateTime: SetDateTimeState "^ccYY-MM-DDTHH:MM:SS;" 10 ms, no answer -> DelayState
//   StartDelay:       DelayState 100 ms -> FinalState
class CDateTimeStateMachine : public CStateHost<CDateTimeStateMachine, IDateTimeStateMachine> {
public:
    static constexpr DWORD kTimerId = 15;
    static constexpr DWORD kQueryTimeout = 500;
    static constexpr DWORD kSetDelay = 10;
    static constexpr DWORD kPause = 100;

    explicit CDateTimeStateMachine(CModel* model);

    bool StartGetDateTime() override;
    bool StartSetDateTime() override;
    bool StartDelay() override;

protected:
    void OnFinalState() override;

private:
    CGetDateTimeState<CDateTimeStateMachine> m_getDateTimeState;
    CSetDateTimeState<CDateTimeStateMachine> m_setDateTimeState;
    CDelayState<CDateTimeStateMachine> m_delayState;
};
