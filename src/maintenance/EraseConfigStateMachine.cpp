#include "maintenance/EraseConfigStateMachine.h"
#include "maintenance/MaintenanceEnd.h"

CEraseConfigStateMachine::CEraseConfigStateMachine(CModel* model)
    : CStateHost(model, kTimerId)
    , m_determineSpeedState(this, "DetermineSpeedState", &m_queryIState, Result::NoResponseAfterReset)
    , m_queryIState(this, "QueryIState", &m_cacheFlushState, Result::BootLoaderNothingErased)
    , m_cacheFlushState(this, "CacheFlushState", &m_eraseConfigurationState)
    // "qvmst" is the amplifier's fixed confirmation word for a factory reset.
    , m_eraseConfigurationState(
          this, "EraseConfigurationState", &m_setPowerOffState, kCommandDelay, QByteArrayLiteral("^ecqvmst;"))
    , m_setPowerOffState(this, "SetPowerOffState", &m_determineSpeedAfterResetState)
    , m_determineSpeedAfterResetState(
          this, "DetermineSpeedState", &m_queryIAfterResetState, Result::NoResponseAfterReset)
    , m_queryIAfterResetState(this, "QueryIState", &m_finalState, &m_setPowerOnState, Result::NoIdentifyResponse)
    , m_setPowerOnState(this, "SetPowerOnState", &m_finalState)
    , m_determineSpeedForEraseState(this, "DetermineSpeedState", &m_queryIForEraseState, Result::NoResponseAfterReset)
    , m_queryIForEraseState(this, "QueryIState", &m_eraseMemoryState, Result::BootLoaderNothingErased)
    , m_eraseMemoryState(this, "EraseMemoryState", &m_finalState, kEraseTimeout, Result::NoRevisionResponse)
{
}

bool CEraseConfigStateMachine::StartResetConfiguration()
{
    return StartAt(&m_determineSpeedState, true);
}

bool CEraseConfigStateMachine::StartEraseMemory()
{
    return StartAt(&m_determineSpeedForEraseState, true);
}

void CEraseConfigStateMachine::OnFinalState()
{
    m_status = Maintenance::StatusAfter(m_result, m_status, Result::BootLoaderNothingErased);
    m_model->PublishFirmwareStatus(m_status);
    m_model->NotifyCompletion(m_result);
}
