#pragma once
#include "link/CommandDelayState.h"
#include "link/CommandResponseRetry2State.h"
#include "link/DelayState.h"
#include "maintenance/DateTimeStateMachineInterface.h"

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
    // Any answer ending in ";" is taken and read by its positions.
    class CGetDateTimeState : public CCommandResponseRetry2State<CDateTimeStateMachine> {
    public:
        CGetDateTimeState(CDateTimeStateMachine* host, CState<CDateTimeStateMachine>* next);
        bool ProcessResponse() override;
    };
    // The set command is built from the computer time when the state is entered.
    class CSetDateTimeState : public CCommandDelayState<CDateTimeStateMachine> {
    public:
        CSetDateTimeState(CDateTimeStateMachine* host, CState<CDateTimeStateMachine>* next);
        void Prepare() override;
    };

    CGetDateTimeState m_getDateTimeState;
    CSetDateTimeState m_setDateTimeState;
    CDelayState<CDateTimeStateMachine> m_delayState;
};
