#include "link/ContactStateMachine.h"

CContactStateMachine::CContactStateMachine(CModel* model)
    : CStateHost(model, kTimerId),
      m_closePortState(this, "ClosePortState", &m_finalState),
      m_openPortState(this, "OpenPortState", &m_establishContactState),
      m_establishContactState(this, "EstablishContactState", &m_queryIState),
      m_queryIState(this, "QueryIState", &m_finalState, &m_getFirmwareVersionState),
      m_getFirmwareVersionState(this, "GetFirmwareVersionState", &m_getSerialNumberState),
      m_getSerialNumberState(this, "GetSerialNumberState", &m_finalState)
{
}

bool CContactStateMachine::Cancel()
{
    if (!CStateHost::Cancel())
        return false;
    if (m_current == &m_establishContactState)
        EnterFinalState();
    return true;
}

void CContactStateMachine::OnFinalState()
{
    // An unexpected device keeps the status it was identified with.
    if (Result::Failed(m_result) && m_result != Result::UnexpectedDevice)
        m_status = 0;
    // Another device is named, but it is not the QRO4000 running its application; the end of
    // its contact is news (for the status line and the Port page) though the status stays 0.
    const bool otherDevice = !Result::Failed(m_result) && m_model->IsOtherDevice();
    if (otherDevice)
        m_status = 0;
    if (!m_model->PublishFirmwareStatus(m_status) && otherDevice)
        m_model->m_firmwareStatus.Notify();
    m_activity.Notify();
}
