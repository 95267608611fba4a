#pragma once
#include "firmware/FirmwareStringIds.h"
#include "link/states/CommandResponseRetryState.h"

// "V;": the boot ROM's version, reported as the boot loader gives it.
template <class SM> class CShowBootVersionState : public CCommandResponseRetryState<SM> {
public:
    CShowBootVersionState(SM* host, const char* name, CState<SM>* next)
        : CCommandResponseRetryState<SM>(host, name, next, 500, QByteArrayLiteral("V;"), Result::NoBootVersionResponse)
    {
    }
    void Accept() override
    {
        SM* host = this->m_host;
        host->Report(FormatResource(IDS_FW_BOOT_ROM_VERSION, QString::fromLatin1(host->m_received)));
        this->Advance();
    }
};
