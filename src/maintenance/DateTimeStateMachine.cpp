#include "maintenance/DateTimeStateMachine.h"
#include "maintenance/MaintenanceEnd.h"

CDateTimeStateMachine::CDateTimeStateMachine(CModel* model)
    : CStateHost(model, kTimerId)
    , m_getDateTimeState(this, "GetDateTimeState", &m_delayState, kQueryTimeout, Result::NoClockResponse)
    , m_setDateTimeState(this, "SetDateTimeState", &m_delayState, kSetDelay)
    , m_delayState(this, "DelayState", &m_finalState, kPause)
{
}

bool CDateTimeStateMachine::StartGetDateTime()
{
    return StartAt(&m_getDateTimeState, true);
}

bool CDateTimeStateMachine::StartSetDateTime()
{
    return StartAt(&m_setDateTimeState, true);
}

bool CDateTimeStateMachine::StartDelay()
{
    return StartAt(&m_delayState, true);
}

void CDateTimeStateMachine::OnFinalState()
{
    m_status = Maintenance::StatusAfter(m_result, m_status, Result::BootLoaderNoClock);
    m_model->PublishFirmwareStatus(m_status);
    m_model->NotifyCompletion(m_result);
}
