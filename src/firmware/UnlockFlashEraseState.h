#pragma once
#include "firmware/BootCommandState.h"

// "U": unlocks the program flash for erasing.
template <class SM> class CUnlockFlashEraseState : public CBootCommandState<SM> {
public:
    CUnlockFlashEraseState(SM* host, const char* name, CState<SM>* next)
        : CBootCommandState<SM>(
            host, name, next, 500, QByteArrayLiteral("U"), Result::NoUnlockResponse, Result::UnlockRefused)
    {
    }
};
