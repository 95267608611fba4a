#include "config/ConfigRestoreStateMachine.h"
#include "config/ConfigRegions.h"
#include "config/ConfigStringIds.h"
#include <algorithm>
#include <cstring>

CConfigRestoreStateMachine::CConfigRestoreStateMachine(CModel* model)
    : CStateHost(model, kTimerId)
    , m_determineSpeedState(this, "DetermineSpeedState", &m_queryIState, Result::NoResponseAfterReset)
    , m_queryIState(this, "QueryIState", &m_finalState, &m_cacheFlushState, Result::NoIdentifyResponse)
    , m_cacheFlushState(this, "CacheFlushState", &m_initializeLoopVariableState)
    , m_initializeLoopVariableState(this, "InitializeLoopVariableState", &m_loopConditionState)
    , m_loopConditionState(this, "ConfigRestoreSerialPromLoopConditionState", &m_loopBodyState, &m_readBackEntryState)
    , m_loopBodyState(this, "ConfigRestoreSerialPromLoopBodyState", &m_incrementLoopVariableState, kWriteTimeout,
          Result::NoWriteBlockResponse)
    , m_incrementLoopVariableState(this, "IncrementLoopVariableState", &m_loopConditionState)
    , m_readBackEntryState(this, "ConfigRestoreReadBackEntryState", &m_readBackConditionState, &m_delayPostRestore)
    , m_readBackConditionState(this, "ConfigRestoreReadBackConditionState", &m_readBackBodyState, &m_delayPostRestore)
    , m_readBackBodyState(this, "ConfigRestoreReadBackBodyState", &m_incrementReadBackVariableState, kWriteTimeout,
          Result::NoReadBlockResponse, Result::NoWriteBlockResponse)
    , m_incrementReadBackVariableState(this, "IncrementReadBackVariableState", &m_readBackConditionState)
    , m_delayPostRestore(this, "DelayPostRestore", &m_setPowerOffState, kPostRestoreDelay)
    , m_setPowerOffState(this, "SetPowerOffState", &m_determineSpeedState2)
    , m_determineSpeedState2(this, "DetermineSpeedState", &m_queryIState2, Result::NoResponseAfterReset)
    , m_queryIState2(this, "QueryIState", &m_finalState, &m_setPowerOnState, Result::NoIdentifyResponse)
    , m_setPowerOnState(this, "SetPowerOnState", &m_finalState)
{
}

void CConfigRestoreStateMachine::StoreBlock(DWORD address, DWORD count, const BYTE* data)
{
    const auto regions = ConfigRegions::RestoreRegions(m_serialMismatch);
    // 64-bit, so that a line near the top of the address space cannot wrap around.
    std::uint64_t begin = address;
    const std::uint64_t end = begin + std::min<DWORD>(count, sizeof(CRecord::data));
    while (begin < end) {
        const CMemoryRegion* hit = nullptr;
        for (const CMemoryRegion& r : regions) {
            if (begin < r.End() && r.start < end) {
                hit = &r;
                break;
            }
        }
        if (!hit)
            return;
        const std::uint64_t from = std::max<std::uint64_t>(begin, hit->start);
        const std::uint64_t to = std::min<std::uint64_t>(end, hit->End());
        CRecord record {};
        record.address = static_cast<DWORD>(from);
        record.length = static_cast<DWORD>(to - from);
        std::memcpy(record.data, data + (from - address), record.length);
        m_records.push_back(record);
        begin = to;
    }
}

void CConfigRestoreStateMachine::StoreByte(WORD address, BYTE value)
{
    // The one-byte records of old files are not restored.
    (void)address;
    (void)value;
}

DWORD CConfigRestoreStateMachine::TotalBytes() const
{
    DWORD total = 0;
    for (const CRecord& r : m_records)
        total += r.length;
    return total;
}

bool CConfigRestoreStateMachine::Start()
{
    if (!IsIdle())
        return false;
    m_link.Reset();
    m_model->m_progressPosition.Set(0);
    m_model->m_progressRange.Set(TotalBytes());
    m_stage = WriteStage::NotBegun;
    return StartAt(&m_determineSpeedState, true);
}

void CConfigRestoreStateMachine::BeginReadBack()
{
    m_loopVariable = 0;
    ReportStatus(FormatResource(IDS_CONFIG_READ_BACK_START, RecordCount()));
    m_model->m_progressPosition.Set(0);
}

void CConfigRestoreStateMachine::OnFinalState()
{
    // As the save: a cancelled restore or a boot loader keeps the status it had.
    if (Result::Failed(m_result) && m_result != Result::UnexpectedDevice && m_result != Result::Cancelled)
        m_status = 0;
    m_model->PublishFirmwareStatus(m_status);
    m_model->NotifyCompletion(m_result);
}
