#pragma once
#include "firmware/FirmwareStringIds.h"
#include "link/states/CommandResponseState.h"

// "D" starts the download; the boot loader echoes "D". From here on the amplifier holds no
// runnable application until the load completes, which the revision "Loading" shows.
template <class SM> class CLoadBeginDownloadState : public CCommandResponseState<SM> {
public:
    CLoadBeginDownloadState(SM* host, const char* name, CState<SM>* next)
        : CCommandResponseState<SM>(host, name, next, 5000, QByteArrayLiteral("D"), Result::NoDEcho)
    {
    }

    QByteArray GetTerminators() const override { return QByteArrayLiteral("D"); }
    bool ProcessResponse() override
    {
        if (!this->m_host->m_received.contains('D'))
            return false;
        this->m_host->Model()->m_firmwareRevision.Set(kRevisionLoading);
        this->m_host->m_status = FirmwareBootLoader;
        this->m_host->m_downloadOpen = true;
        return true;
    }
    void OnTimeout() override
    {
        SM* host = this->m_host;
        host->Report(FormatResource(IDS_FW_NO_D_ECHO, host->GetDeviceName(), QStringLiteral("D")));
        host->Model()->ResetDeviceValues();
        this->Fail(this->m_errorCode);
    }
};
