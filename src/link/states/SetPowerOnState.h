#pragma once
#include "link/states/CommandDelayState.h"

// Switches the amplifier on; no answer is expected. The machine goes on after 10 ms.
template <class SM>
class CSetPowerOnState : public CCommandDelayState<SM> {
public:
    CSetPowerOnState(SM* host, const char* name, CState<SM>* next)
        : CCommandDelayState<SM>(host, name, next, 10, QByteArrayLiteral("^on1;"))
    {
    }
};
