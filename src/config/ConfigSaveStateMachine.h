#pragma once
#include "link/states/ConfigQueryIState.h"
#include "config/ConfigSaveSerialPromLoopBodyState.h"
#include "config/ConfigSaveSerialPromLoopConditionState.h"
#include "config/ConfigSaveStateMachineInterface.h"
#include "config/IncrementLoopVariableState.h"
#include "config/InitializeLoopVariableState.h"
#include "config/MemoryRegion.h"
#include "link/states/DelayState.h"
#include "link/states/DetermineSpeedState.h"
#include "link/states/FixedCommandStates.h"
#include <vector>

// Reads the amplifier's configuration memory, 0x40000 bytes in 4096 "^er" blocks of 64, into
// its image. Progress runs over the bytes read; the end waits 700 ms so that the full bar is
// seen, then raises the completion event with the result.
//
//   DetermineSpeedState ";" 100 ms (0xE2000045) -> QueryIState "^I;" 500 ms (0xE2000524)
//   -> CacheFlushState "^cf;" 10 ms -> InitializeLoopVariableState
//   -> ConfigSaveSerialPromLoopConditionState: body ConfigSaveLoopBodyState "^er.." 4000 ms
//      (0xE2000050) -> IncrementLoopVariableState -> condition; exit
//   -> DelayFinishProgressState 700 ms -> FinalState
class CConfigSaveStateMachine : public CStateHost<CConfigSaveStateMachine, IConfigSaveStateMachine> {
public:
    static constexpr DWORD kTimerId = 10;
    static constexpr DWORD kReadTimeout = 4000;
    static constexpr DWORD kFinishDelay = 700;

    explicit CConfigSaveStateMachine(CModel* model);

    bool Start() override;
    DWORD GetTotalSize() const override { return static_cast<DWORD>(m_image.size()); }
    const BYTE* GetData(DWORD address) const override;
    const BYTE* GetData(DWORD address, DWORD count) const override;

    // --- used by the states ---
    DWORD RegionCount() const;
    CMemoryRegion Region(DWORD index) const;
    BYTE* ImageData() { return m_image.data(); }

    DWORD m_loopVariable = 0;

protected:
    void OnFinalState() override;

private:
    std::vector<BYTE> m_image;
    CDetermineSpeedState<CConfigSaveStateMachine> m_determineSpeedState;
    CConfigQueryIState<CConfigSaveStateMachine> m_queryIState;
    CCacheFlushState<CConfigSaveStateMachine> m_cacheFlushState;
    CInitializeLoopVariableState<CConfigSaveStateMachine> m_initializeLoopVariableState;
    CConfigSaveSerialPromLoopConditionState<CConfigSaveStateMachine> m_loopConditionState;
    CConfigSaveSerialPromLoopBodyState<CConfigSaveStateMachine> m_loopBodyState;
    CIncrementLoopVariableState<CConfigSaveStateMachine> m_incrementLoopVariableState;
    CDelayState<CConfigSaveStateMachine> m_delayFinishProgressState;
};
