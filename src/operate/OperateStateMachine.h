#pragma once
#include "link/states/OperateDetermineSpeedState.h"
#include "link/states/QueryIState.h"
#include "operate/OperateStateMachineInterface.h"
#include "operate/OperateStates.h"
#include <algorithm>
#include <iterator>

// One poll cycle of the Operate page: reads the amplifier's display, meters, codes, band,
// antenna, tuner state and relays into the model, then sends what the user asked for since the
// last cycle. With the amplifier switched off a cycle reads the power status only.
//
// A cycle begins by marking every reading not current; each answer taken makes its reading
// current again, and a failed cycle leaves none current. So after a cycle, the current readings
// are exactly those this cycle read.
//
//  1 OperateDetermineSpeedState ";" 100 ms, every speed once (0xE2000049)
//  2 QueryIState "^I;" 500 ms x 10 (0xE2000524); a QRO4000 in its boot loader ends the cycle,
//    another device fails it (0xE200004E)
//  3 GetPowerStatusState "^on;" -> 4, or 26 when the amplifier is off
//  4 OperateQueryRevisionState "^rv;" required (0xE200000D)
//  5..25 one optional query each, 500 ms: "^ds;" "^fl;" "^oc;" (revision 153 on) "^os;" "^an;"
//       "^bn;" "^am;" "^ai;" "^cr;"/set "^lr;"/set "^si;" "^fq;" "^pc;" "^vmh;" "^pwd;" "^pwf;"
//       "^pwi;" "^pwr;" "^sw;" "^sb;" "^tm;"
// 26 SetPowerStatusState "^on1;^on;" when a power request is pending
// 27 PressButtonState the pending keys in one write, 10 ms -> FinalState
class COperateStateMachine : public CStateHost<COperateStateMachine, IOperateStateMachine> {
public:
    static constexpr DWORD kTimerId = 24;

    explicit COperateStateMachine(CModel* model);
    ~COperateStateMachine() override;

    // --- IOperateStateMachine ---
    bool StartPoll() override;
    bool IsPowerRequestPending() const override { return m_powerRequest != 0; }
    bool HasPendingKeys() const override
    {
        return std::any_of(std::begin(m_keyRequests), std::end(m_keyRequests), [](DWORD flag) { return flag != 0; });
    }
    void PressAntenna() override { Request(OperateKey::Antenna); }
    void PressAtuMode() override { Request(OperateKey::AtuMode); }
    void PressAtuStore() override { Request(OperateKey::AtuStore); }
    void PressAtuTune() override { Request(OperateKey::AtuTune); }
    void SelectBand(BYTE band) override;
    void PressDown() override { Request(OperateKey::Down); }
    void PressEdit() override { Request(OperateKey::Edit); }
    void PressInfo() override { Request(OperateKey::Info); }
    void PressMenu() override { Request(OperateKey::Menu); }
    void PressMode() override { Request(OperateKey::Mode); }
    void PressReset() override { Request(OperateKey::Reset); }
    void PressStatus() override { Request(OperateKey::Status); }
    void PressUp() override { Request(OperateKey::Up); }
    void PressPf1() override { Request(OperateKey::Pf1); }
    void PressPf2() override { Request(OperateKey::Pf2); }
    void SetCapacitors(BYTE relays) override { m_capacitorRequest = {1, relays}; }
    void SetInductors(BYTE relays) override { m_inductorRequest = {1, relays}; }
    void SetPowerStatus(unsigned on) override;
    void SetCapacitorSide(wchar_t side) override;
    void SetReleaseNotify(std::function<void()> notify) override { m_releaseNotify = std::move(notify); }
    void SetRequestsNeedPower(bool needPower) override { m_requestsNeedPower = needPower; }
    bool RefusedWhileOff() const override { return m_refusedWhileOff; }

    // --- used by the states ---
    // Every pending key's command in the fixed order, as one text ("^BPT01;^BPT19;"); the sent
    // keys' flags are cleared. When requests need power and the amplifier is off, nothing: the
    // keys, band and relays asked for are dropped instead.
    QByteArray TakeKeyCommands();
    // The pending power request (flag cleared); false when there is none.
    bool TakePowerRequest(unsigned* on);

    DWORD m_bandRequest = 0;
    DWORD m_keyRequests[OperateKeys::kKeyCount] = {};
    COperateRelayRequest m_capacitorRequest;
    COperateRelayRequest m_inductorRequest;
    DWORD m_powerRequest = 0;
    DWORD m_powerRequestValue = 0;
    DWORD m_sideRequest = 0;
    wchar_t m_sideRequestLetter = 0;

protected:
    void OnFinalState() override;

private:
    void Request(OperateKey key) { m_keyRequests[static_cast<int>(key)] = 1; }

    bool HasPendingRequests() const;

    std::function<void()> m_releaseNotify;
    bool m_requestsNeedPower = false;
    bool m_refusedWhileOff = false;
    COperateDetermineSpeedState<COperateStateMachine> m_operateDetermineSpeedState;
    COperateQueryIState<COperateStateMachine> m_queryIState;
    CGetPowerStatusState<COperateStateMachine> m_getPowerStatusState;
    COperateQueryRevisionState<COperateStateMachine> m_operateQueryRevisionState;
    CGetLcdTextState<COperateStateMachine> m_getLcdTextState;
    CGetFaultCodeState<COperateStateMachine> m_getFaultCodeState;
    CGetOverdriveCodeState<COperateStateMachine> m_getOverdriveCodeState;
    CGetOperateStandbyState<COperateStateMachine> m_getOperateStandbyState;
    CGetAntennaState<COperateStateMachine> m_getAntennaState;
    CGetBandNumberOperateState<COperateStateMachine> m_getBandNumberOperateState;
    CGetAtuModeState<COperateStateMachine> m_getAtuModeState;
    CGetAtuInlineState<COperateStateMachine> m_getAtuInlineState;
    CSetCapacitorState<COperateStateMachine> m_setCapacitorState;
    CSetInductorState<COperateStateMachine> m_setInductorState;
    CGetSideState<COperateStateMachine> m_getSideState;
    CGetFrequencyState<COperateStateMachine> m_getFrequencyState;
    CGetPACurrentState<COperateStateMachine> m_getPACurrentState;
    CGetPAVoltageState<COperateStateMachine> m_getPAVoltageState;
    CGetPowerDissipatedState<COperateStateMachine> m_getPowerDissipatedState;
    CGetPowerForwardState<COperateStateMachine> m_getPowerForwardState;
    CGetPowerInputState<COperateStateMachine> m_getPowerInputState;
    CGetPowerReflectedState<COperateStateMachine> m_getPowerReflectedState;
    CGetSwrState<COperateStateMachine> m_getSwrState;
    CGetSwrBypassState<COperateStateMachine> m_getSwrBypassState;
    CGetTemperatureState<COperateStateMachine> m_getTemperatureState;
    CSetPowerStatusState<COperateStateMachine> m_setPowerStatusState;
    CPressButtonState<COperateStateMachine> m_pressButtonState;
};
