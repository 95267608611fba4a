#include "settings/EditConfigStateMachine.h"
#include "settings/SettingsStringIds.h"
#include "settings/SettingsText.h"

using S = SettingId;

CEditConfigStateMachine::CEditConfigStateMachine(CModel* model)
    : CStateHost(model, kTimerId)
    , m_determineSpeedState(this, "DetermineSpeedState", &m_queryIState, Result::NoResponseAfterReset)
    // The chain after the identity is chosen by the start operation.
    , m_queryIState(this, "QueryIState", &m_finalState, nullptr, Result::NoIdentifyResponse)
    // clang-format off
    , m_getAntennaEnableState(S::AntennaEnable, this, "GetAntennaEnableState", &m_getAntennaPreferredState, "^aeab;", Result::NoAntennaEnableResponse)
    , m_getAntennaPreferredState(S::AntennaPreferred, this, "GetAntennaPreferredState", &m_getAtuHiSwrRetuneState, "^apab;", Result::NoAntennaPreferredResponse)
    , m_getAtuHiSwrRetuneState(S::AtuHiSwrRetune, this, "GetAtuHiSwrRetuneState", &m_getAtuModeSwitchState, "^hsab;", Result::NoAtuHiSwrRetuneResponse)
    , m_getAtuModeSwitchState(S::AtuModeSwitch, this, "GetAtuModeSwitchState", &m_getAtuSettingsPerBinState, "^aa;", Result::NoAtuModeSwitchResponse)
    , m_getAtuSettingsPerBinState(S::AtuSettingsPerBin, this, "GetAtuSettingsPerBinState", &m_getAtuXcvrKeyState, "^abAB;", Result::NoAtuSettingsPerBinResponse)
    , m_getAtuXcvrKeyState(S::AtuXcvrKey, this, "GetAtuXcvrKeyState", &m_getBannerState, "^xk;", Result::NoAtuXcvrKeyResponse)
    , m_getBannerState(S::Banner, this, "GetBannerState", &m_getSwrThresholdBypassState, "^bt;")
    , m_getSwrThresholdBypassState(S::SwrBypass, this, "GetSwrThresholdBypassState", &m_getSwrThresholdNoMatchState, "^stbab;", Result::NoSwrThresholdResponse)
    , m_getSwrThresholdNoMatchState(S::SwrNoMatch, this, "GetSwrThresholdNoMatchState", &m_getSwrThresholdRetuneState, "^stnab;", Result::NoSwrThresholdResponse)
    , m_getSwrThresholdRetuneState(S::SwrRetune, this, "GetSwrThresholdRetuneState", &m_getSwrThresholdStopState, "^staab;", Result::NoSwrThresholdResponse)
    , m_getSwrThresholdStopState(S::SwrStop, this, "GetSwrThresholdStopState", &m_getNetDhcpState, "^stsab;", Result::NoSwrThresholdResponse)
    , m_getNetDhcpState(S::NetDhcp, this, "GetNetDhcpState", &m_getNetIPState, "^dh;")
    , m_getNetIPState(S::NetIp, this, "GetNetIPState", &m_getNetGatewayState, "^ip;")
    , m_getNetGatewayState(S::NetGateway, this, "GetNetGatewayState", &m_getNetMacState, "^gw;")
    , m_getNetMacState(S::NetMac, this, "GetNetMacState", &m_getNetMaskState, "^ma;")
    , m_getNetMaskState(S::NetMask, this, "GetNetMaskState", &m_getNetPortState, "^nm;")
    , m_getNetPortState(S::NetPort, this, "GetNetPortState", &m_getNetWakeOnLanState, "^cp;")
    , m_getNetWakeOnLanState(S::NetWakeOnLan, this, "GetNetWakeOnLanState", &m_getProgramFunction1State, "^wl;")
    , m_getProgramFunction1State(S::Pf1, this, "GetProgramFunction1State", &m_getProgramFunction2State, "^pf1;")
    , m_getProgramFunction2State(S::Pf2, this, "GetProgramFunction2State", &m_finalState, "^pf2;")

    , m_setAntennaEnableState(S::AntennaEnable, this, "SetAntennaEnableState", &m_setAntennaPreferredState, "^aeab;", Result::NoAntennaEnableResponse)
    , m_setAntennaPreferredState(S::AntennaPreferred, this, "SetAntennaPreferredState", &m_setAtuHiSwrRetuneState, "^apab;", Result::NoAntennaPreferredResponse)
    , m_setAtuHiSwrRetuneState(S::AtuHiSwrRetune, this, "SetAtuHiSwrRetuneState", &m_setAtuModeSwitchState, "^hsab;", Result::NoAtuHiSwrRetuneResponse)
    , m_setAtuModeSwitchState(S::AtuModeSwitch, this, "SetAtuModeSwitchState", &m_setAtuSettingsPerBinState, "^aa;", Result::NoAtuModeSwitchResponse)
    , m_setAtuSettingsPerBinState(S::AtuSettingsPerBin, this, "SetAtuSettingsPerBinState", &m_setAtuXcvrKeyState, "^abAB;", Result::NoAtuSettingsPerBinResponse)
    , m_setAtuXcvrKeyState(S::AtuXcvrKey, this, "SetAtuXcvrKeyState", &m_setBannerState, "^xk;", Result::NoAtuXcvrKeyResponse)
    , m_setBannerState(S::Banner, this, "SetBannerState", &m_setSwrThresholdBypassState, "^bt;")
    , m_setSwrThresholdBypassState(S::SwrBypass, this, "SetSwrThresholdBypassState", &m_setSwrThresholdNoMatchState, "^stbab;", Result::NoSwrThresholdResponse)
    , m_setSwrThresholdNoMatchState(S::SwrNoMatch, this, "SetSwrThresholdNoMatchState", &m_setSwrThresholdRetuneState, "^stnab;", Result::NoSwrThresholdResponse)
    , m_setSwrThresholdRetuneState(S::SwrRetune, this, "SetSwrThresholdRetuneState", &m_setSwrThresholdStopState, "^staab;", Result::NoSwrThresholdResponse)
    , m_setSwrThresholdStopState(S::SwrStop, this, "SetSwrThresholdStopState", &m_setNetDhcpState, "^stsab;", Result::NoSwrThresholdResponse)
    , m_setNetDhcpState(S::NetDhcp, this, "SetNetDhcpState", &m_setNetGatewayState, "^dh;")
    , m_setNetGatewayState(S::NetGateway, this, "SetNetGatewayState", &m_setNetIPState, "^gw;")
    , m_setNetIPState(S::NetIp, this, "SetNetIPState", &m_setNetMaskState, "^ip;")
    , m_setNetMaskState(S::NetMask, this, "SetNetMaskState", &m_setNetPortState, "^nm;")
    , m_setNetPortState(S::NetPort, this, "SetNetPortState", &m_setNetWakeOnLanState, "^cp;")
    , m_setNetWakeOnLanState(S::NetWakeOnLan, this, "SetNetWakeOnLanState", &m_setProgramFunction1State, "^wl;")
    , m_setProgramFunction1State(S::Pf1, this, "SetProgramFunction1State", &m_setProgramFunction2State, "^pf1;")
    , m_setProgramFunction2State(S::Pf2, this, "SetProgramFunction2State", &m_finalState, "^pf2;")
// clang-format on
{
}

bool CEditConfigStateMachine::StartRead()
{
    if (!IsIdle())
        return false;
    BeginRun(kSettingCount);
    m_queryIState.m_identifiedNext = &m_getAntennaEnableState;
    return StartAt(&m_determineSpeedState, true);
}

bool CEditConfigStateMachine::StartWrite()
{
    if (!IsIdle())
        return false;
    BeginRun(kSettingCount - 1);
    // The last guard before the port: a value that could end its command early never goes out,
    // whoever put it into the pending copy.
    SettingId id {};
    QString reason;
    if (SettingsText::FindRefusedPending(*m_model, &id, &reason)) {
        ReportStatus(FormatResource(IDS_SETTINGS_REFUSED, QString::fromLatin1(SettingsTable::Info(id).name), reason));
        m_status = m_model->m_firmwareStatus.m_value;
        m_result = Result::SettingRefused;
        OnFinalState();
        return true;
    }
    m_queryIState.m_identifiedNext = &m_setAntennaEnableState;
    return StartAt(&m_determineSpeedState, true);
}

bool CEditConfigStateMachine::WasAnswered(SettingId id) const
{
    return m_answered.test(static_cast<std::size_t>(id));
}

std::vector<SettingId> CEditConfigStateMachine::NotTaken() const
{
    return m_notTaken;
}

void CEditConfigStateMachine::NoteAnswered(SettingId id)
{
    m_answered.set(static_cast<std::size_t>(id));
}

void CEditConfigStateMachine::NoteNotTaken(SettingId id)
{
    m_notTaken.push_back(id);
}

void CEditConfigStateMachine::NoteSent(SettingId id)
{
    m_sent.set(static_cast<std::size_t>(id));
}

void CEditConfigStateMachine::NoteConfirmed(SettingId id)
{
    m_confirmed.set(static_cast<std::size_t>(id));
}

std::vector<SettingId> CEditConfigStateMachine::Unconfirmed() const
{
    std::vector<SettingId> ids;
    for (std::size_t i = 0; i < m_sent.size(); ++i)
        if (m_sent.test(i) && !m_confirmed.test(i))
            ids.push_back(static_cast<SettingId>(i));
    return ids;
}

void CEditConfigStateMachine::StepProgress()
{
    m_model->m_progressPosition.Set(m_model->m_progressPosition.m_value + 1);
}

void CEditConfigStateMachine::BeginRun(DWORD steps)
{
    m_answered.reset();
    m_notTaken.clear();
    m_sent.reset();
    m_confirmed.reset();
    m_model->m_progressPosition.Set(0);
    m_model->m_progressRange.Set(steps);
}

void CEditConfigStateMachine::OnFinalState()
{
    if (m_result == 0 && !m_notTaken.empty())
        m_result = Result::SettingNotTaken;
    // The amplifier is still there after a refused value or setting, after a cancel and when
    // it answered as something other than a QRO4000 application: those keep their status.
    // Every other failure leaves no device.
    const bool deviceAnswered = m_result == Result::SettingRefused || m_result == Result::SettingNotTaken
        || m_result == Result::Cancelled || m_result == Result::UnexpectedDevice;
    if (Result::Failed(m_result) && !deviceAnswered)
        m_status = 0;
    m_model->PublishFirmwareStatus(m_status);
    m_model->NotifyCompletion(m_result);
}
