#pragma once
#include "link/states/ConfigQueryIState.h"
#include "link/states/DetermineSpeedState.h"
#include "settings/EditConfigStateMachineInterface.h"
#include "settings/SettingSetState.h"
#include <bitset>

// Reads the amplifier's configuration settings into the model, or writes the user's pending
// changes back. Every query and set state waits 500 ms; the states with an error code are
// asked up to 10 times and then fail the machine, the others may go unanswered.
//
// Both chains begin with
//   DetermineSpeedState ";" 100 ms (0xE2000045) -> QueryIState "^I;" 500 ms (0xE2000524)
// and go on only with a QRO4000 running its application (else 0xE200004E).
//
// Read chain                    query      error code
//   GetAntennaEnableState       ^aeab;     0xE20004C8   per band, digits 0..2
//   GetAntennaPreferredState    ^apab;     0xE20004B1   per band, digits 0..2
//   GetAtuHiSwrRetuneState      ^hsab;     0xE2000500   per band, digits 0..1
//   GetAtuModeSwitchState       ^aa;       0xE20004C9   flag
//   GetAtuSettingsPerBinState   ^abAB;     0xE2000510   per band, numbers 1..31
//   GetAtuXcvrKeyState          ^xk;       0xE2000501   flag
//   GetBannerState              ^bt;       -            text
//   GetSwrThreshold...State     ^stbab; ^stnab; ^staab; ^stsab;
//                                          0xE200050F   per band, numbers 10..999
//   GetNetDhcpState             ^dh;       -            flag
//   GetNetIPState               ^ip;       -            text
//   GetNetGatewayState          ^gw;       -            text
//   GetNetMacState              ^ma;       -            text
//   GetNetMaskState             ^nm;       -            text
//   GetNetPortState             ^cp;       -            text
//   GetNetWakeOnLanState        ^wl;       -            flag
//   GetProgramFunction1State    ^pf1;      -            text
//   GetProgramFunction2State    ^pf2;      -            text      -> FinalState
//
// Write chain: the Set...State of each, with its query's command and error code, in the same
// order except that the gateway comes before the IP address and the MAC address is not
// written -> FinalState.
class CEditConfigStateMachine : public CStateHost<CEditConfigStateMachine, IEditConfigStateMachine> {
public:
    static constexpr DWORD kTimerId = 25;

    explicit CEditConfigStateMachine(CModel* model);

    bool StartRead() override;
    bool StartWrite() override;
    bool WasAnswered(SettingId id) const override;
    std::vector<SettingId> NotTaken() const override;
    std::vector<SettingId> Unconfirmed() const override;

    // --- used by the states ---
    void NoteAnswered(SettingId id);
    void NoteNotTaken(SettingId id);
    void NoteSent(SettingId id);
    void NoteConfirmed(SettingId id);
    // Each state of a chain moves the model's progress position one step.
    void StepProgress();

protected:
    void OnFinalState() override;

private:
    using SM = CEditConfigStateMachine;
    void BeginRun(DWORD steps);

    std::bitset<kSettingCount> m_answered;
    std::vector<SettingId> m_notTaken;
    std::bitset<kSettingCount> m_sent;
    std::bitset<kSettingCount> m_confirmed;

    CDetermineSpeedState<SM> m_determineSpeedState;
    CConfigQueryIState<SM> m_queryIState;

    CGetSettingState<SM> m_getAntennaEnableState;
    CGetSettingState<SM> m_getAntennaPreferredState;
    CGetSettingState<SM> m_getAtuHiSwrRetuneState;
    CGetSettingState<SM> m_getAtuModeSwitchState;
    CGetSettingState<SM> m_getAtuSettingsPerBinState;
    CGetSettingState<SM> m_getAtuXcvrKeyState;
    CGetOptionalSettingState<SM> m_getBannerState;
    CGetSettingState<SM> m_getSwrThresholdBypassState;
    CGetSettingState<SM> m_getSwrThresholdNoMatchState;
    CGetSettingState<SM> m_getSwrThresholdRetuneState;
    CGetSettingState<SM> m_getSwrThresholdStopState;
    CGetOptionalSettingState<SM> m_getNetDhcpState;
    CGetOptionalSettingState<SM> m_getNetIPState;
    CGetOptionalSettingState<SM> m_getNetGatewayState;
    CGetOptionalSettingState<SM> m_getNetMacState;
    CGetOptionalSettingState<SM> m_getNetMaskState;
    CGetOptionalSettingState<SM> m_getNetPortState;
    CGetOptionalSettingState<SM> m_getNetWakeOnLanState;
    CGetOptionalSettingState<SM> m_getProgramFunction1State;
    CGetOptionalSettingState<SM> m_getProgramFunction2State;

    CSetSettingState<SM> m_setAntennaEnableState;
    CSetSettingState<SM> m_setAntennaPreferredState;
    CSetSettingState<SM> m_setAtuHiSwrRetuneState;
    CSetSettingState<SM> m_setAtuModeSwitchState;
    CSetSettingState<SM> m_setAtuSettingsPerBinState;
    CSetSettingState<SM> m_setAtuXcvrKeyState;
    CSetOptionalSettingState<SM> m_setBannerState;
    CSetSettingState<SM> m_setSwrThresholdBypassState;
    CSetSettingState<SM> m_setSwrThresholdNoMatchState;
    CSetSettingState<SM> m_setSwrThresholdRetuneState;
    CSetSettingState<SM> m_setSwrThresholdStopState;
    CSetOptionalSettingState<SM> m_setNetDhcpState;
    CSetOptionalSettingState<SM> m_setNetGatewayState;
    CSetOptionalSettingState<SM> m_setNetIPState;
    CSetOptionalSettingState<SM> m_setNetMaskState;
    CSetOptionalSettingState<SM> m_setNetPortState;
    CSetOptionalSettingState<SM> m_setNetWakeOnLanState;
    CSetOptionalSettingState<SM> m_setProgramFunction1State;
    CSetOptionalSettingState<SM> m_setProgramFunction2State;
};
