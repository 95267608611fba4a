#include "config/ConfigSaveStateMachine.h"
#include "config/ConfigRegions.h"
#include "link/EepromBlock.h"

CConfigSaveStateMachine::CConfigSaveStateMachine(CModel* model)
    : CStateHost(model, kTimerId)
    , m_image(Eeprom::kSize, 0)
    , m_determineSpeedState(this, "DetermineSpeedState", &m_queryIState, Result::NoResponseAfterReset)
    , m_queryIState(this, "QueryIState", &m_finalState, &m_cacheFlushState, Result::NoIdentifyResponse)
    , m_cacheFlushState(this, "CacheFlushState", &m_initializeLoopVariableState)
    , m_initializeLoopVariableState(this, "InitializeLoopVariableState", &m_loopConditionState)
    , m_loopConditionState(
          this, "ConfigSaveSerialPromLoopConditionState", &m_loopBodyState, &m_delayFinishProgressState)
    , m_loopBodyState(
          this, "ConfigSaveLoopBodyState", &m_incrementLoopVariableState, kReadTimeout, Result::NoReadBlockResponse)
    , m_incrementLoopVariableState(this, "IncrementLoopVariableState", &m_loopConditionState)
    , m_delayFinishProgressState(this, "DelayFinishProgressState", &m_finalState, kFinishDelay)
{
}

bool CConfigSaveStateMachine::Start()
{
    if (!IsIdle())
        return false;
    m_link.Reset();
    m_model->m_progressPosition.Set(0);
    m_model->m_progressRange.Set(GetTotalSize());
    return StartAt(&m_determineSpeedState, true);
}

const BYTE* CConfigSaveStateMachine::GetData(DWORD address) const
{
    return address < m_image.size() ? m_image.data() + address : nullptr;
}

const BYTE* CConfigSaveStateMachine::GetData(DWORD address, DWORD count) const
{
    if (address > m_image.size() || count > m_image.size() - address)
        return nullptr;
    return m_image.data() + address;
}

DWORD CConfigSaveStateMachine::RegionCount() const
{
    return static_cast<DWORD>(ConfigRegions::SaveRegions().size());
}

CMemoryRegion CConfigSaveStateMachine::Region(DWORD index) const
{
    return ConfigRegions::SaveRegions()[index];
}

void CConfigSaveStateMachine::OnFinalState()
{
    // The amplifier was answering when the user cancelled, and a boot loader found by "^I;"
    // is still there: both keep their status. Every other failure leaves no device.
    if (Result::Failed(m_result) && m_result != Result::UnexpectedDevice && m_result != Result::Cancelled)
        m_status = 0;
    m_model->PublishFirmwareStatus(m_status);
    m_model->NotifyCompletion(m_result);
}
