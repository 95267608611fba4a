#pragma once
#include "link/State.h"
#include "model/ResultCode.h"

// Firmware for the QRO4000 must never reach another device: anything else ends the load here,
// before a boot loader command is sent.
template <class SM> class CVerifyExpectedDeviceState : public CState<SM> {
public:
    using CState<SM>::CState;
    void Enter() override
    {
        if (!this->m_host->Model()->IsExpectedDevice())
            this->Fail(Result::UnexpectedDevice);
        else
            this->GoToNext();
    }
};
