#include "operate/OperateStateMachine.h"
#include "operate/OperateDerived.h"
#include <algorithm>
#include <iterator>

COperateStateMachine::COperateStateMachine(CModel* model)
    : CStateHost(model, kTimerId)
    , m_operateDetermineSpeedState(this, "OperateDetermineSpeedState", &m_queryIState)
    , m_queryIState(this, "QueryIState", &m_finalState, &m_getPowerStatusState)
    , m_getPowerStatusState(this, "GetPowerStatusState", &m_operateQueryRevisionState, &m_setPowerStatusState)
    , m_operateQueryRevisionState(this, "OperateQueryRevisionState", &m_getLcdTextState)
    , m_getLcdTextState(this, "GetLcdTextState", &m_getFaultCodeState, "^ds;", model->m_displayText)
    , m_getFaultCodeState(this, "GetFaultCodeState", &m_getOverdriveCodeState, "^fl;", model->m_faultCode)
    , m_getOverdriveCodeState(this, "GetOverdriveCodeState", &m_getOperateStandbyState, "^oc;", model->m_overdriveCode)
    , m_getOperateStandbyState(this, "GetOperateStandbyState", &m_getAntennaState, "^os;", model->m_operateStandby)
    , m_getAntennaState(this, "GetAntennaState", &m_getBandNumberOperateState, "^an;", model->m_antenna)
    , m_getBandNumberOperateState(this, "GetBandNumberOperateState", &m_getAtuModeState, "^bn;", model->m_band)
    // The name as the trace has always written it.
    , m_getAtuModeState(this, "GeteAtuModeState", &m_getAtuInlineState, "^am;", model->m_atuMode)
    , m_getAtuInlineState(this, "GetAtuInlineState", &m_setCapacitorState, "^ai;", model->m_atuInline)
    , m_setCapacitorState(
          this, "SetCapacitorState", &m_setInductorState, "^cr;", model->m_capacitors, m_capacitorRequest)
    , m_setInductorState(this, "SetInductorState", &m_getSideState, "^lr;", model->m_inductors, m_inductorRequest)
    , m_getSideState(this, "GetSideState", &m_getFrequencyState, "^si;", model->m_capacitorSide)
    , m_getFrequencyState(this, "GetFrequencyState", &m_getPACurrentState, "^fq;", model->m_frequency)
    , m_getPACurrentState(this, "GetPACurrentState", &m_getPAVoltageState, "^pc;", model->m_paCurrent)
    , m_getPAVoltageState(this, "GetPAVoltageState", &m_getPowerDissipatedState, "^vmh;", model->m_paVoltage)
    , m_getPowerDissipatedState(
          this, "GetPowerDissipatedState", &m_getPowerForwardState, "^pwd;", model->m_powerDissipated)
    , m_getPowerForwardState(this, "GetPowerForwardState", &m_getPowerInputState, "^pwf;", model->m_powerForward)
    , m_getPowerInputState(this, "GetPowerInputState", &m_getPowerReflectedState, "^pwi;", model->m_powerInput)
    , m_getPowerReflectedState(this, "GetPowerReflectedState", &m_getSwrState, "^pwr;", model->m_powerReflected)
    , m_getSwrState(this, "GetSwrState", &m_getSwrBypassState, "^sw;", model->m_swr)
    , m_getSwrBypassState(this, "GetSwrBypassState", &m_getTemperatureState, "^sb;", model->m_swrBypass)
    , m_getTemperatureState(this, "GetTemperatureState", &m_setPowerStatusState, "^tm;", model->m_temperature)
    , m_setPowerStatusState(this, "SetPowerStatusState", &m_pressButtonState)
    , m_pressButtonState(this, "PressButtonState", &m_finalState)
{
}

COperateStateMachine::~COperateStateMachine()
{
    if (m_releaseNotify)
        m_releaseNotify();
}

bool COperateStateMachine::StartPoll()
{
    if (!IsIdle())
        return false;
    m_model->MarkReadingsStale();
    if (!StartAt(&m_operateDetermineSpeedState, true))
        return false;
    m_refusedWhileOff = false;
    return true;
}

bool COperateStateMachine::HasPendingRequests() const
{
    for (int index = 0; index < OperateKeys::kKeyCount; ++index)
        if (m_keyRequests[index] && static_cast<OperateKey>(index) != OperateKey::AtuStore)
            return true;
    return m_capacitorRequest.m_flag || m_inductorRequest.m_flag;
}

void COperateStateMachine::SelectBand(BYTE band)
{
    m_bandRequest = band;
    Request(OperateKey::Band);
}

void COperateStateMachine::SetPowerStatus(unsigned on)
{
    m_powerRequestValue = on ? 1 : 0;
    m_powerRequest = 1;
}

void COperateStateMachine::SetCapacitorSide(wchar_t side)
{
    m_sideRequestLetter = side;
    m_sideRequest = 1;
}

QByteArray COperateStateMachine::TakeKeyCommands()
{
    // The power status is this cycle's (after a power request, its answer): a key pressed on a
    // switched-off amplifier would be acted on when it is switched on, unasked.
    if (m_requestsNeedPower && m_model->m_powerStatus.m_value == 0 && HasPendingRequests()) {
        std::fill(std::begin(m_keyRequests), std::end(m_keyRequests), 0);
        m_capacitorRequest = {};
        m_inductorRequest = {};
        m_refusedWhileOff = true;
        return {};
    }
    QByteArray commands;
    for (int index = 0; index < OperateKeys::kKeyCount; ++index) {
        const auto key = static_cast<OperateKey>(index);
        // ATU STORE has no command here: it stays recorded, and nothing pretends to send it.
        if (!m_keyRequests[index] || key == OperateKey::AtuStore)
            continue;
        m_keyRequests[index] = 0;
        commands += key == OperateKey::Band ? OperateKeys::BandCommand(m_bandRequest) : OperateKeys::Command(key);
    }
    return commands;
}

bool COperateStateMachine::TakePowerRequest(unsigned* on)
{
    if (!m_powerRequest)
        return false;
    m_powerRequest = 0;
    *on = m_powerRequestValue;
    return true;
}

void COperateStateMachine::OnFinalState()
{
    if (Result::Failed(m_result)) {
        m_status = 0;
        m_model->MarkReadingsStale();
    }
    if (m_status != m_model->m_firmwareStatus.m_value) {
        // The boot loader talks at its own fixed speed only.
        if (m_status == FirmwareBootLoader) {
            m_model->SetPortSpeed(38400);
            m_model->NotifyPortSpeed();
        }
        m_model->PublishFirmwareStatus(m_status);
    }
    OperateDerived::UpdatePeaks(*m_model);
    m_model->NotifyCompletion(m_result);
}

void PressKey(IOperateStateMachine& machine, OperateKey key)
{
    switch (key) {
    case OperateKey::Antenna:
        machine.PressAntenna();
        break;
    case OperateKey::AtuMode:
        machine.PressAtuMode();
        break;
    case OperateKey::AtuStore:
        machine.PressAtuStore();
        break;
    case OperateKey::AtuTune:
        machine.PressAtuTune();
        break;
    case OperateKey::Down:
        machine.PressDown();
        break;
    case OperateKey::Edit:
        machine.PressEdit();
        break;
    case OperateKey::Info:
        machine.PressInfo();
        break;
    case OperateKey::Menu:
        machine.PressMenu();
        break;
    case OperateKey::Mode:
        machine.PressMode();
        break;
    case OperateKey::Pf1:
        machine.PressPf1();
        break;
    case OperateKey::Pf2:
        machine.PressPf2();
        break;
    case OperateKey::Reset:
        machine.PressReset();
        break;
    case OperateKey::Status:
        machine.PressStatus();
        break;
    case OperateKey::Up:
        machine.PressUp();
        break;
    case OperateKey::Band:
    case OperateKey::Count:
        break;
    }
}
