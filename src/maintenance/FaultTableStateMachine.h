#pragma once
#include "link/states/DetermineSpeedState.h"
#include "link/states/ReadSerialPromState.h"
#include "maintenance/ApplicationQueryIState.h"
#include "maintenance/FaultTableStateMachineInterface.h"
#include "maintenance/ReadFaultIndexState.h"

// Reads the amplifier's fault log: the index word at 0x0A, then entries of 32 bytes at
// 0x38000 + 32 x slot, one per start. The index word and the entry buffer belong to the caller.
//
//   StartReadIndex: DetermineSpeedState ";" 100 ms (0xE2000045)
//     -> QueryIState "^I;" 500 ms (0xE2000524; boot loader 0xE20000A2)
//     -> ReadIndexState "^er" 0x0A, 2 bytes, 4000 ms (0xE2000050) -> FinalState
//   StartReadEntry: ReadEntryState "^er" slot address, 32 bytes, 4000 ms (0xE2000050) -> FinalState
class CFaultTableStateMachine : public CStateHost<CFaultTableStateMachine, IFaultTableStateMachine> {
public:
    static constexpr DWORD kTimerId = 21;
    static constexpr DWORD kReadTimeout = 4000;

    CFaultTableStateMachine(CModel* model, WORD* index, BYTE* entry);

    bool StartReadIndex() override;
    bool StartReadEntry() override;

protected:
    void OnFinalState() override;

private:
    WORD* m_index;
    CDetermineSpeedState<CFaultTableStateMachine> m_determineSpeedState;
    CApplicationQueryIState<CFaultTableStateMachine> m_queryIState;
    CReadFaultIndexState<CFaultTableStateMachine> m_readIndexState;
    CReadSerialPromState<CFaultTableStateMachine> m_readEntryState;
};
