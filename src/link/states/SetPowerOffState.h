#pragma once
#include "link/states/CommandDelayState.h"

// Switches the amplifier off (its serial interface stays alive); no answer is expected. The machine goes on after 10 ms.
template <class SM>
class CSetPowerOffState : public CCommandDelayState<SM> {
public:
    CSetPowerOffState(SM* host, const char* name, CState<SM>* next)
        : CCommandDelayState<SM>(host, name, next, 10, QByteArrayLiteral("^on0;"))
    {
    }
};
