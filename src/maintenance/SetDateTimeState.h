#pragma once
#include "link/states/CommandDelayState.h"
#include "maintenance/ClockText.h"

// Sets the amplifier's clock from the model's computer time, taken when the state is entered.
// The amplifier answers nothing.
template <class SM> class CSetDateTimeState : public CCommandDelayState<SM> {
public:
    CSetDateTimeState(SM* host, const char* name, CState<SM>* next, DWORD delay)
        : CCommandDelayState<SM>(host, name, next, delay, QByteArray())
    {
    }
    void Prepare() override
    {
        this->m_command = ClockText::BuildSetCommand(this->m_host->Model()->m_computerTime.m_value);
    }
};
