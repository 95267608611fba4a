#pragma once
#include "firmware/LoadFirmwareState.h"

// Brings the boot loader's packet buffer back to a packet boundary. The boot loader reads
// every byte into its 517-byte buffer and only answers when the buffer is full, so after a
// lost byte it waits for bytes that will never come. Single ";" fill bytes complete whatever it
// holds; the packet they complete fails its checksum and is refused with "N", and the buffer is
// empty again. A whole packet of unanswered fill bytes means the boot loader is not listening.
template <class SM> class CLoadResyncState : public CState<SM> {
public:
    static constexpr DWORD kFillTimeout = 100;

    CLoadResyncState(SM* host, const char* name, CLoadFirmwareState<SM>* load)
        : CState<SM>(host, name, load)
        , m_load(load)
    {
    }

    void Prepare() override
    {
        this->m_host->m_fillByteCount = 1;
        this->m_host->m_terminators = QByteArrayLiteral("N");
    }
    void Enter() override { SendFill(); }

    void OnResponse() override
    {
        SM* host = this->m_host;
        if (!host->m_received.endsWith('N'))
            return;
        host->StopTimer();
        host->ResumeState(m_load);
        m_load->SendPacket();
    }

    void OnTimeout() override
    {
        SM* host = this->m_host;
        if (host->m_fillByteCount < LoaderPacket::kSize) {
            ++host->m_fillByteCount;
            SendFill();
        } else {
            this->Fail(Result::NoResyncResponse);
        }
    }

    void Fail(DWORD code) override
    {
        m_load->ReportFailure();
        CState<SM>::Fail(code);
    }

private:
    void SendFill()
    {
        if (this->m_host->SendText(this, QByteArrayLiteral(";")))
            this->m_host->StartTimer(kFillTimeout);
    }

    CLoadFirmwareState<SM>* m_load;
};
