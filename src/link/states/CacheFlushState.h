#pragma once
#include "link/states/CommandDelayState.h"

// Empties the amplifier's write cache into its EEPROM; no answer is expected. The machine goes on after 10 ms.
template <class SM>
class CCacheFlushState : public CCommandDelayState<SM> {
public:
    CCacheFlushState(SM* host, const char* name, CState<SM>* next)
        : CCommandDelayState<SM>(host, name, next, 10, QByteArrayLiteral("^cf;"))
    {
    }
};
