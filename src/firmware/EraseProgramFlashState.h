#pragma once
#include "firmware/BootCommandState.h"

// "P": erases the whole program flash; the answer comes when the erase is done, which takes
// seconds.
template <class SM> class CEraseProgramFlashState : public CBootCommandState<SM> {
public:
    CEraseProgramFlashState(SM* host, const char* name, CState<SM>* next)
        : CBootCommandState<SM>(
            host, name, next, 15000, QByteArrayLiteral("P"), Result::NoEraseResponse, Result::EraseRefused)
    {
    }
};
