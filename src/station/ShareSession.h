#pragma once
#include "link/ports/TelnetCodec.h"
#include "link/ports/TelnetOptions.h"
#include "station/ArbiterClient.h"
#include "station/LineArbiter.h"
#include <QObject>
#include <functional>
#include <memory>

class QTcpSocket;

// One client of the sharing endpoint: Telnet with the COM-PORT-OPTION on its connection, the
// serial line's data between it and the arbiter. Its requests are answered with what is in
// force on the shared line (a client never changes the line under another), its data has IAC
// doubled both ways, and the server names itself, and says when the line is busy, through the
// SIGNATURE command.
class CShareSession : public QObject, public IArbiterClient {
    Q_OBJECT
public:
    // What a client may leave unread before it is cut off: a program that reads its answers
    // never comes near it, and one that does not must not make the server hold more.
    static constexpr qint64 kMaxUnsent = 256 * 1024;

    // The session owns the socket. `signature` gives the server's signature text for a lease
    // (busy) or for a free line.
    CShareSession(std::unique_ptr<QTcpSocket> socket, CLineArbiter& arbiter,
        std::function<QString(LineLease)> signature, std::function<void(const QString&)> log);
    ~CShareSession() override;

    QString Name() const { return m_name; }
    // Closes the connection at once; Finished follows.
    void Close();

    void OnLineData(const QByteArray& bytes) override;
    void OnLineBusy(LineLease lease) override;

signals:
    // The connection has ended (the client left or was cut off): the owner deletes the session.
    void Finished(CShareSession* session);

private:
    void OnReadyRead();
    void OnComPort(std::uint8_t command, const QByteArray& value);
    void Send(const QByteArray& bytes);
    void Reply(std::uint8_t command, const QByteArray& value);
    std::uint8_t Control(std::uint8_t value);
    void End();

    std::unique_ptr<QTcpSocket> m_socket;
    CLineArbiter& m_arbiter;
    CLineArbiter::ClientId m_id = 0;
    std::function<QString(LineLease)> m_signature;
    std::function<void(const QString&)> m_log;
    QString m_name;
    Telnet::DecoderState m_decoder;
    // This end performs binary and suppress-go-ahead; the client may perform those and the
    // COM-PORT-OPTION (RFC 2217: the client sends WILL COM-PORT-OPTION).
    CTelnetOptions m_options {
        {Telnet::kBinary, Telnet::kSuppressGoAhead}, {Telnet::kBinary, Telnet::kSuppressGoAhead, Telnet::kComPort}};
    bool m_ended = false;
    bool m_cutOff = false;
    bool m_dtrOn = false;
    bool m_rtsOn = false;
};
