#pragma once
#include "link/ports/SocketPort.h"
#include "link/ports/TelnetCodec.h"
#include "link/ports/TelnetOptions.h"

// A serial port reached through a serial device server over Telnet with the COM-PORT-OPTION
// ("rfc2217://HOST:PORT"): the speed, 8N1 without flow control and DTR and RTS off reach the
// server's port, and so does a purge whenever bytes nobody asked for show that the server may
// hold more; IAC bytes are doubled going out and undone coming in, so binary firmware packets
// pass intact.
//
// The open (without holding up its caller) waits for the server to agree to the
// COM-PORT-OPTION (a server that never does is no RFC 2217 server) and to report the opening
// speed; a speed change waits for the server to report the new speed, so that nothing sent
// afterwards leaves the far port at the old one. Requests the server may
// leave unanswered are never waited for: a server on a port without modem lines (ser2net on a
// pseudo-terminal) does not answer DTR and RTS at all.
class CRfc2217Port : public CSocketPort {
    Q_OBJECT
public:
    using CSocketPort::CSocketPort;

    QString SharedThrough() const override;
    QString BusyReason() const override { return m_busyReason; }
    void SetSharingNotify(std::function<void()> changed) override { m_sharingNotify = std::move(changed); }

protected:
    bool StartSession() override;
    DWORD AdvanceSession() override;
    void TakeReceived(const QByteArray& bytes, QByteArray* data) override;
    QByteArray Frame(const QByteArray& data) override;
    bool ApplySpeed(DWORD bitsPerSecond) override;
    bool PurgeServer() override;

private:
    bool RequestSpeed(DWORD bitsPerSecond);
    void TakeSignature(const QString& signature);

    Telnet::DecoderState m_decoder;
    CTelnetOptions m_options {
        {Telnet::kBinary, Telnet::kSuppressGoAhead, Telnet::kComPort}, {Telnet::kBinary, Telnet::kSuppressGoAhead}};
    // The speed the server last reported, and whether it reports one at all.
    bool m_speedReported = false;
    std::uint32_t m_reportedSpeed = 0;
    bool m_speedUnconfirmed = false;
    // Where the session's start stands: waiting for the COM-PORT-OPTION, then for the speed.
    enum class Stage { ComPort, Speed } m_stage = Stage::ComPort;
    QDeadlineTimer m_stageDeadline;
    // What the server last said of itself, and why its line is busy (empty when free).
    QString m_signature;
    QString m_busyReason;
    std::function<void()> m_sharingNotify;
};
