#include "maintenance/DateTimeStateMachine.h"
#include "maintenance/ClockText.h"
#include "maintenance/MaintenanceEnd.h"

CDateTimeStateMachine::CDateTimeStateMachine(CModel* model)
    : CStateHost(model, kTimerId)
    , m_getDateTimeState(this, &m_delayState)
    , m_setDateTimeState(this, &m_delayState)
    , m_delayState(this, "DelayState", &m_finalState, kPause)
{
}

CDateTimeStateMachine::CGetDateTimeState::CGetDateTimeState(
    CDateTimeStateMachine* host, CState<CDateTimeStateMachine>* next)
    : CCommandResponseRetry2State(
        host, "GetDateTimeState", next, kQueryTimeout, QByteArrayLiteral("^cc;"), Result::NoClockResponse)
{
}

bool CDateTimeStateMachine::CGetDateTimeState::ProcessResponse()
{
    SYSTEMTIME time = ClockText::ParseAnswer(m_host->m_received);
    m_host->Model()->m_amplifierTime.Set(time);
    return true;
}

CDateTimeStateMachine::CSetDateTimeState::CSetDateTimeState(
    CDateTimeStateMachine* host, CState<CDateTimeStateMachine>* next)
    : CCommandDelayState(host, "SetDateTimeState", next, kSetDelay, QByteArray())
{
}

void CDateTimeStateMachine::CSetDateTimeState::Prepare()
{
    m_command = ClockText::BuildSetCommand(m_host->Model()->m_computerTime.m_value);
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
