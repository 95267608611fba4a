#pragma once
#include "firmware/FirmwareStringIds.h"
#include "link/states/CommandDelayState.h"

// "R" restarts the amplifier into its new application, which comes back at its configured
// speed after a few seconds; whatever arrives meanwhile is ignored.
template <class SM> class CBootResetState : public CCommandDelayState<SM> {
public:
    static constexpr DWORD kResetTime = 3000;

    CBootResetState(SM* host, const char* name, CState<SM>* next)
        : CCommandDelayState<SM>(host, name, next, kResetTime, QByteArrayLiteral("R"))
    {
    }
    void Prepare() override
    {
        this->m_host->Report(FormatResource(IDS_FW_WAITING_FOR_RESET, (kResetTime + 500) / 1000));
    }
};
