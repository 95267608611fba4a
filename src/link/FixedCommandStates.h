#pragma once
#include "link/CommandDelayState.h"

// Commands that expect no answer: written, then the machine goes on after 10 ms.
template <class SM>
class CCacheFlushState : public CCommandDelayState<SM> {
public:
    CCacheFlushState(SM* host, const char* name, CState<SM>* next)
        : CCommandDelayState<SM>(host, name, next, 10, QByteArrayLiteral("^cf;"))
    {
    }
};

template <class SM>
class CSetPowerOffState : public CCommandDelayState<SM> {
public:
    CSetPowerOffState(SM* host, const char* name, CState<SM>* next)
        : CCommandDelayState<SM>(host, name, next, 10, QByteArrayLiteral("^on0;"))
    {
    }
};

template <class SM>
class CSetPowerOnState : public CCommandDelayState<SM> {
public:
    CSetPowerOnState(SM* host, const char* name, CState<SM>* next)
        : CCommandDelayState<SM>(host, name, next, 10, QByteArrayLiteral("^on1;"))
    {
    }
};
