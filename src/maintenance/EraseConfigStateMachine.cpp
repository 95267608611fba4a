#include "maintenance/EraseConfigStateMachine.h"
#include "maintenance/MaintenanceEnd.h"
#include "maintenance/MaintenanceStringIds.h"

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
    m_resetStarted = false;
    return StartAt(&m_determineSpeedState, true);
}

bool CEraseConfigStateMachine::StartEraseMemory()
{
    return StartAt(&m_determineSpeedForEraseState, true);
}

bool CEraseConfigStateMachine::Cancel()
{
    // The configuration is gone already: stopping now would only leave the amplifier off.
    if (m_resetStarted && !IsIdle()) {
        ReportStatus(ResourceString(IDS_RESET_FINISHING));
        return true;
    }
    return CStateHost::Cancel();
}

void CEraseConfigStateMachine::OnFinalState()
{
    if (Result::Failed(m_result) && m_result != Result::BootLoaderAfterReset && m_resetStarted)
        ReportStatus(FormatResource(IDS_RESET_LEFT_OFF, ProductName()));
    m_resetStarted = false;
    // A boot loader found after the reset keeps its status: it answers, waiting for firmware.
    if (m_result != Result::BootLoaderAfterReset)
        m_status = Maintenance::StatusAfter(m_result, m_status, Result::BootLoaderNothingErased);
    m_model->PublishFirmwareStatus(m_status);
    m_model->NotifyCompletion(m_result);
}
