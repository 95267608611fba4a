#pragma once
#include "link/states/DetermineSpeedState.h"
#include "link/states/FixedCommandStates.h"
#include "maintenance/ApplicationQueryIState.h"
#include "maintenance/EraseConfigStateMachineInterface.h"
#include "maintenance/EraseMemoryState.h"

// Reset of the configuration to factory default, and ATU memory erase. The commands of the
// reset expect no answer; each state waits 10 ms and goes on.
//
//   StartResetConfiguration:
//    1 DetermineSpeedState ";" 100 ms (0xE2000045)
//    2 QueryIState "^I;" 500 ms (0xE2000524; boot loader 0xE20000A1, another device 0xE200004E)
//    3 CacheFlushState "^cf;" 10 ms
//    4 EraseConfigurationState "^ecqvmst;" 10 ms
//    5 SetPowerOffState "^on0;" 10 ms
//    6 DetermineSpeedState ";" 100 ms (0xE2000045)
//    7 QueryIState "^I;" 500 ms (0xE2000524; boot loader 0xE20000A4)
//    8 SetPowerOnState "^on1;" 10 ms -> FinalState
//   Once "^ecqvmst;" has been sent, Cancel does not leave the amplifier switched off: the
//   sequence goes on to switch it on again. When that fails, a status line says plainly that
//   the configuration was reset and the amplifier is switched off.
//   StartEraseMemory:
//    9 DetermineSpeedState ";" 100 ms (0xE2000045)
//   10 QueryIState "^I;" 500 ms (0xE2000524; boot loader 0xE20000A1, another device 0xE200004E)
//   11 EraseMemoryState "^em..;^rv;" 5000 ms, 10 sends (0xE200000D) -> FinalState
class CEraseConfigStateMachine : public CStateHost<CEraseConfigStateMachine, IEraseConfigStateMachine> {
public:
    static constexpr DWORD kTimerId = 25;
    static constexpr DWORD kEraseTimeout = 5000;
    static constexpr DWORD kCommandDelay = 10;

    explicit CEraseConfigStateMachine(CModel* model);

    bool StartResetConfiguration() override;
    bool StartEraseMemory() override;
    bool Cancel() override;

    // Set once "^ecqvmst;" has gone out.
    bool m_resetStarted = false;

protected:
    void OnFinalState() override;

private:
    template <class SM> class CEraseConfigurationState : public CCommandDelayState<SM> {
    public:
        using CCommandDelayState<SM>::CCommandDelayState;
        void Send() override
        {
            CCommandDelayState<SM>::Send();
            if (!Result::Failed(this->m_host->m_result))
                this->m_host->m_resetStarted = true;
        }
    };

    // After the erase, a QRO4000 that starts in its boot loader cannot be switched on: the reset
    // has then failed to bring it back, with its own code.
    template <class SM> class CQueryIAfterResetState : public CQueryIState<SM> {
    public:
        using CQueryIState<SM>::CQueryIState;
        void GoToNext() override
        {
            if (this->m_host->Model()->IsExpectedDevice() && this->m_host->m_status == FirmwareBootLoader)
                this->Fail(Result::BootLoaderAfterReset);
            else
                CQueryIState<SM>::GoToNext();
        }
    };

    CDetermineSpeedState<CEraseConfigStateMachine> m_determineSpeedState;
    CApplicationQueryIState<CEraseConfigStateMachine> m_queryIState;
    CCacheFlushState<CEraseConfigStateMachine> m_cacheFlushState;
    CEraseConfigurationState<CEraseConfigStateMachine> m_eraseConfigurationState;
    CSetPowerOffState<CEraseConfigStateMachine> m_setPowerOffState;
    CDetermineSpeedState<CEraseConfigStateMachine> m_determineSpeedAfterResetState;
    // After the erase, another device changes nothing: the reset has been done.
    CQueryIAfterResetState<CEraseConfigStateMachine> m_queryIAfterResetState;
    CSetPowerOnState<CEraseConfigStateMachine> m_setPowerOnState;
    CDetermineSpeedState<CEraseConfigStateMachine> m_determineSpeedForEraseState;
    CApplicationQueryIState<CEraseConfigStateMachine> m_queryIForEraseState;
    CEraseMemoryState<CEraseConfigStateMachine> m_eraseMemoryState;
};
