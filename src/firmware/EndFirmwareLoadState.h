#pragma once
#include "firmware/FirmwareStringIds.h"
#include "firmware/LoaderPacket.h"
#include "link/State.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"

// Sends the end packet (address 8F FF FF FF); the boot loader answers "B" once it has closed
// the download. Any other answer means it did not take the end of the image.
template <class SM> class CEndFirmwareLoadState : public CState<SM> {
public:
    static constexpr DWORD kPacketTimeout = 2000;
    using CState<SM>::CState;

    void Prepare() override { this->m_host->m_fillByteCount = 0; }
    void Enter() override
    {
        SM* host = this->m_host;
        LoaderPacket::BuildEnd(host->m_packet);
        if (host->SendPacket(this, QByteArrayLiteral("BCN")))
            host->StartTimer(kPacketTimeout);
    }
    void OnResponse() override
    {
        this->m_host->StopTimer();
        if (this->m_host->m_received.endsWith('B')) {
            this->m_host->m_downloadOpen = false;
            this->GoToNext();
        } else
            this->Fail(Result::RetryLimit);
    }
    void OnTimeout() override { this->Fail(Result::NoPacketResponse); }
    void Fail(DWORD code) override
    {
        SM* host = this->m_host;
        host->Report(FormatResource(IDS_FW_SEND_FAILED_AT, host->GetDeviceName(), host->m_transferAddress));
        CState<SM>::Fail(code);
    }
};
