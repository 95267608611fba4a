#pragma once
#include "link/states/ConfigQueryIState.h"
#include "config/ConfigRestoreReadBackBodyState.h"
#include "config/ConfigRestoreReadBackEntryState.h"
#include "config/ConfigRestoreSerialPromLoopBodyState.h"
#include "config/ConfigRestoreSerialPromLoopConditionState.h"
#include "config/ConfigRestoreStateMachineInterface.h"
#include "config/IncrementLoopVariableState.h"
#include "config/InitializeLoopVariableState.h"
#include "link/states/DelayState.h"
#include "link/states/DetermineSpeedState.h"
#include "link/states/FixedCommandStates.h"
#include <vector>

// Writes the records of a configuration file back into the amplifier with "^ew", then waits,
// switches the amplifier off and on by command and checks that it answers in between.
//
//   DetermineSpeedState ";" (0xE2000045) -> QueryIState "^I;" (0xE2000524) -> CacheFlushState
//   -> InitializeLoopVariableState -> ConfigRestoreSerialPromLoopConditionState:
//      body ConfigRestoreSerialPromLoopBodyState "^ew.." 4000 ms (0xE2000051)
//      -> IncrementLoopVariableState -> condition; exit
//   -> ConfigRestoreReadBackEntryState: only after a lost or damaged answer,
//      ConfigRestoreReadBackConditionState: body ConfigRestoreReadBackBodyState "^er.." (and
//      "^ew.." again where a block differs) -> IncrementReadBackVariableState -> condition; exit
//   -> DelayPostRestore 2000 ms -> SetPowerOffState "^on0;" -> DetermineSpeedState
//   -> QueryIState -> SetPowerOnState "^on1;" -> FinalState
class CConfigRestoreStateMachine : public CStateHost<CConfigRestoreStateMachine, IConfigRestoreStateMachine> {
public:
    static constexpr DWORD kTimerId = 11;
    static constexpr DWORD kWriteTimeout = 4000;
    static constexpr DWORD kPostRestoreDelay = 2000;

    // A piece of a file's memory line that falls in one restore region.
    struct CRecord {
        DWORD address;
        DWORD length; // at most 64
        BYTE data[64];
    };

    explicit CConfigRestoreStateMachine(CModel* model);

    // IConfigReceiver: the reader's records. Only bytes inside the restore regions chosen by
    // the serial number verdict are kept.
    void StoreBlock(DWORD address, DWORD count, const BYTE* data) override;
    void StoreByte(WORD address, BYTE value) override;
    void SetSerialMismatch(bool mismatch) override { m_serialMismatch = mismatch; }

    bool Start() override;
    DWORD RecordCount() const override { return static_cast<DWORD>(m_records.size()); }
    DWORD TotalBytes() const override;
    bool SerialMismatch() const override { return m_serialMismatch; }
    WriteStage Stage() const override { return m_stage; }
    void SetStage(WriteStage stage) { m_stage = stage; }

    const CRecord& Record(DWORD index) const { return m_records[index]; }
    // The read-back pass begins: its progress runs over the bytes written once more.
    void BeginReadBack();
    const std::vector<CRecord>& Records() const { return m_records; }

    DWORD m_loopVariable = 0;

protected:
    void OnFinalState() override;

private:
    bool m_serialMismatch = false;
    WriteStage m_stage = WriteStage::NotBegun;
    std::vector<CRecord> m_records;
    CDetermineSpeedState<CConfigRestoreStateMachine> m_determineSpeedState;
    CConfigQueryIState<CConfigRestoreStateMachine> m_queryIState;
    CCacheFlushState<CConfigRestoreStateMachine> m_cacheFlushState;
    CInitializeLoopVariableState<CConfigRestoreStateMachine> m_initializeLoopVariableState;
    CConfigRestoreSerialPromLoopConditionState<CConfigRestoreStateMachine> m_loopConditionState;
    CConfigRestoreSerialPromLoopBodyState<CConfigRestoreStateMachine> m_loopBodyState;
    CIncrementLoopVariableState<CConfigRestoreStateMachine> m_incrementLoopVariableState;
    CConfigRestoreReadBackEntryState<CConfigRestoreStateMachine> m_readBackEntryState;
    CConfigRestoreSerialPromLoopConditionState<CConfigRestoreStateMachine> m_readBackConditionState;
    CConfigRestoreReadBackBodyState<CConfigRestoreStateMachine> m_readBackBodyState;
    CIncrementLoopVariableState<CConfigRestoreStateMachine> m_incrementReadBackVariableState;
    CDelayState<CConfigRestoreStateMachine> m_delayPostRestore;
    CSetPowerOffState<CConfigRestoreStateMachine> m_setPowerOffState;
    CDetermineSpeedState<CConfigRestoreStateMachine> m_determineSpeedState2;
    CConfigQueryIState<CConfigRestoreStateMachine> m_queryIState2;
    CSetPowerOnState<CConfigRestoreStateMachine> m_setPowerOnState;
};
