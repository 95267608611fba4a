#pragma once
#include "firmware/LoadFirmwareState.h"

// Brings the boot loader's packet buffer back to a packet boundary. The boot loader reads
// every byte into its 517-byte buffer and only answers when the buffer is full, so after a
// lost byte it waits for bytes that will never come. Single ";" fill bytes complete whatever it
// holds; the packet they complete fails its checksum and is refused with "N", and the buffer is
// empty again. A whole packet of unanswered fill bytes means the boot loader is not listening.
//
// The packet's time-out follows the line and may end before a slow "A" comes: an "A" here is
// that packet taken after all. Every fill byte went into the next buffer, so they go on until
// the "N"; then the next packet follows instead of the same one again. Each fill byte waits as
// long as the boot loader has been seen to take to answer (CMcuLoaderStateMachine::FillWait).
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
        this->m_host->m_terminators = QByteArrayLiteral("AN");
        m_lateAcknowledgement = false;
    }
    void Enter() override { SendFill(); }

    void OnResponse() override
    {
        SM* host = this->m_host;
        if (host->m_received.endsWith('A') && !m_lateAcknowledgement) {
            m_lateAcknowledgement = true;
            host->ReportDetail(FormatResource(IDS_FW_PACKET_LATE_ACK, m_load->PacketAddress()));
            return;
        }
        if (!host->m_received.endsWith('N'))
            return;
        host->StopTimer();
        host->NoteFillAnswer();
        if (m_lateAcknowledgement) {
            m_load->AcknowledgedLate();
            return;
        }
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
            this->m_host->StartTimer(this->m_host->FillWait());
    }

    CLoadFirmwareState<SM>* m_load;
    bool m_lateAcknowledgement = false;
};
