#pragma once
#include "firmware/FirmwareStringIds.h"
#include "firmware/LoaderPacket.h"
#include "link/State.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"

// Streams the image in 517-byte packets, each acknowledged before the next is built.
//
// "A" takes the packet. "N" refuses it (the checksum did not match, so a byte was lost or
// damaged on the line): the same packet is sent again, and at the fifth resend the boot
// loader's buffer is resynchronised first in case it lost count of the bytes. No answer at all
// means the boot loader may hold part of a packet, so every time-out resynchronises. The
// resynchronisation state hands back here, without this state's entry, to send the packet
// again; the retry count runs on across it.
//
// The waits follow the line (CMcuLoaderStateMachine::PacketWait), within the 2000 ms time-out.
// A byte that came but is none of "A", "C", "N" when the wait ends is a damaged answer: the
// boot loader did answer, so its buffer is at a packet boundary, and the packet is sent again
// at once, as a refusal is (storing a packet twice writes the same bytes to the same address).
template <class SM> class CLoadFirmwareState : public CState<SM> {
public:
    static constexpr DWORD kPacketTimeout = 2000;

    CLoadFirmwareState(SM* host, const char* name, CState<SM>* next, CState<SM>* resync)
        : CState<SM>(host, name, next)
        , m_resync(resync)
    {
    }

    void Prepare() override
    {
        this->m_host->m_fillByteCount = 0;
        m_retryCount = 0;
        m_silentTries = 0;
    }
    void Enter() override { BuildNext(); }

    void BuildNext()
    {
        SM* host = this->m_host;
        CFirmwareImage& image = host->Image();
        host->SetProgress(host->m_transferAddress);
        if (host->m_transferAddress >= image.Low() + image.UsedLength()) {
            this->GoToNext();
            return;
        }
        LoaderPacket::Build(host->m_packet, host->m_transferAddress, image.BlockAt(host->m_transferAddress));
        host->m_transferAddress += LoaderPacket::kDataSize;
        SendPacket();
    }

    void SendPacket()
    {
        if (this->m_host->SendPacket(this, QByteArrayLiteral("ACN")))
            this->m_host->StartTimer(this->m_host->PacketWait(m_silentTries));
    }

    void OnResponse() override
    {
        SM* host = this->m_host;
        host->StopTimer();
        host->NotePacketAnswer();
        m_silentTries = 0;
        if (host->m_received.endsWith('A'))
            Acknowledged();
        else
            // "C" has no defined meaning after a data packet. It is taken as a refusal rather
            // than as a time-out: the boot loader did answer, so its buffer is at a packet
            // boundary and resending at once is safe, and the refusal limit still bounds it.
            Refused(IDS_FW_PACKET_REFUSED);
    }

    void OnTimeout() override
    {
        SM* host = this->m_host;
        if (!host->m_received.isEmpty()) {
            m_silentTries = 0;
            Refused(IDS_FW_PACKET_DAMAGED);
            return;
        }
        const DWORD waited = host->ElapsedSinceSend();
        ++m_silentTries;
        const DWORD before = m_retryCount++;
        if (before < host->m_packetRetryLimit) {
            host->NoteRetry(FormatResource(IDS_FW_PACKET_LOST, PacketAddress(), waited, m_retryCount));
            host->EnterState(m_resync);
        } else {
            this->Fail(Result::NoPacketResponse);
        }
    }

    // The resynchronisation saw the boot loader take this packet after all (its "A" was late):
    // the buffer it has brought back to a packet boundary held only fill bytes.
    void AcknowledgedLate()
    {
        SM* host = this->m_host;
        host->ResumeState(this);
        Acknowledged();
    }

    void Fail(DWORD code) override
    {
        ReportFailure();
        CState<SM>::Fail(code);
    }

    // The failure line and the retries of the packet that failed; also used when the
    // resynchronisation for this packet fails.
    void ReportFailure()
    {
        SM* host = this->m_host;
        host->Report(FormatResource(IDS_FW_SEND_FAILED_AT, host->GetDeviceName(), host->m_transferAddress));
        host->AddRetries(m_retryCount);
        m_retryCount = 0;
    }

    DWORD m_retryCount = 0;
    // Time-outs of this packet in a row; each doubles the next wait.
    DWORD m_silentTries = 0;

    // The address of the packet in flight (the transfer address has already passed it).
    DWORD PacketAddress() const { return this->m_host->m_transferAddress - LoaderPacket::kDataSize; }

private:
    void Acknowledged()
    {
        SM* host = this->m_host;
        if (m_retryCount != 0) {
            if (host->m_fillByteCount != 0)
                host->Report(FormatResource(
                    IDS_FW_RETRY_SUCCESSFUL_FILL, m_retryCount, host->m_transferAddress, host->m_fillByteCount));
            else
                host->Report(FormatResource(IDS_FW_RETRY_SUCCESSFUL, m_retryCount, host->m_transferAddress));
        }
        host->AddRetries(m_retryCount);
        m_retryCount = 0;
        m_silentTries = 0;
        host->m_fillByteCount = 0;
        BuildNext();
    }

    void Refused(unsigned causeId)
    {
        SM* host = this->m_host;
        const DWORD before = m_retryCount++;
        if (before == host->m_retryLimit / 2 || m_retryCount < host->m_retryLimit) {
            const QString cause = causeId == IDS_FW_PACKET_REFUSED
                ? FormatResource(causeId, PacketAddress(), QString::fromLatin1(host->m_received.right(1)), m_retryCount)
                : FormatResource(causeId, PacketAddress(), m_retryCount);
            host->NoteRetry(cause);
        }
        if (before == host->m_retryLimit / 2)
            host->EnterState(m_resync);
        else if (m_retryCount < host->m_retryLimit)
            SendPacket();
        else
            this->Fail(Result::RetryLimit);
    }

    CState<SM>* m_resync;
};
