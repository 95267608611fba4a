#pragma once
#include "model/EventHost.h"
#include "model/RemotePortName.h"
#include "model/SerialPortInterface.h"
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <functional>
#include <memory>

class QTcpSocket;
class IStatusSink;
class IUserPrompt;

// A serial port reached through a serial device server over raw TCP ("socket://HOST:PORT"):
// bytes pass unchanged both ways, and speed changes are taken locally without reaching the
// server's port, whose speed is set on the server. Received bytes raise a notification posted
// to the event loop; reads return what has arrived; writes return once the bytes are with the
// system. A connection that drops behaves as an unplugged adapter: one status line naming the
// server, the failure notification, and every later read and write fails with
// RemoteConnectionLost until the port is opened again.
//
// Opening never holds up the caller while the name is looked up, the connection is made and the
// session starts: Open() answers false with IoPending until the port is open or the open has
// failed, and the caller asks again meanwhile (the event loop runs between its calls). Looking
// up and connecting take at most the connect time-out; each answer the session waits for, at
// most the answer time-out. The port waits only for answers the server must give, never for
// ones it may leave out; a Ctrl+C (InterruptWaits) ends an open and its waits at once.
//
// What the server sends is held up to kMaxHeld bytes: an amplifier's longest answer is a small
// fraction of that, so more than that unread, or more than that between two commands (data and
// Telnet traffic together), is a server gone wrong. The excess is dropped and counted, and the connection ends
// as a lost one does, with RemoteFlooded.
class CSocketPort : public QObject, public ISerialPort {
    Q_OBJECT
public:
    static constexpr int kConnectTimeoutMs = 5000;
    static constexpr int kAnswerTimeoutMs = 2000;
    static constexpr qsizetype kMaxHeld = 64 * 1024;

    // The sink and prompt (both may be null) receive the port's reports and error boxes.
    CSocketPort(IEventHost& host, IStatusSink* status, IUserPrompt* prompt);
    ~CSocketPort() override;

    bool Open(const QString& name, bool quiet) override;
    void Close() override;
    bool IsOpen() const override;
    QString Name() const override { return m_name; }
    bool SetSpeed(DWORD bitsPerSecond) override;
    DWORD Speed() const override { return m_speed; }
    bool PurgeReceive() override;
    bool Read(BYTE* buffer, DWORD count, DWORD* bytesRead) override;
    bool WriteText(const QString& text) override;
    bool WriteBytes(const BYTE* data, DWORD count) override;
    DWORD LastError() const override { return m_lastError; }
    void SetNotify(std::function<void()> notify) override { m_notify = std::move(notify); }
    void SetFailureNotify(std::function<void()> failed) override { m_failureNotify = std::move(failed); }
    void Settle(DWORD ms) override;

    // How long connecting and each awaited answer of the server may take.
    void SetTimeouts(int connectMs, int answerMs);

    // The program's code for a socket error.
    static DWORD MapSocketError(int socketError);

    // Ends every open in progress, and every wait of one, at once and for good (the program is
    // ending); an open port's waits go on, so that what must be finished is. Safe to call from
    // a signal handler.
    static void InterruptWaits();
    // Bytes the server sent that were dropped since the port was opened.
    qint64 DroppedBytes() const { return m_dropped; }

protected:
    // After the connection is made: what the protocol needs before the port counts as open is
    // begun by StartSession (false fails the open with LastError() set), then moved on by
    // AdvanceSession at each Open() call, with what the server has sent taken first: IoPending
    // while it goes on, 0 once the port is open, else the failure.
    virtual bool StartSession() { return true; }
    virtual DWORD AdvanceSession() { return 0; }
    // Turns received bytes into the serial line's data.
    virtual void TakeReceived(const QByteArray& bytes, QByteArray* data) { data->append(bytes); }
    // Turns the serial line's data into the bytes to send.
    virtual QByteArray Frame(const QByteArray& data) { return data; }
    // Applies a supported speed to the server's port; the raw protocol cannot.
    virtual bool ApplySpeed(DWORD bitsPerSecond)
    {
        (void)bitsPerSecond;
        return true;
    }
    // Asks the server to drop what it holds from the serial device; the raw protocol cannot.
    virtual bool PurgeServer() { return true; }

    // Writes bytes to the connection and waits until the system has taken them.
    bool SendBytes(const QByteArray& bytes);
    // Queues bytes without waiting: for answers sent while bytes are being received.
    void QueueBytes(const QByteArray& bytes);
    // Takes what the server sends until `done` holds, the answer time-out passes or the
    // connection fails; answers `done()`.
    bool WaitForServer(const std::function<bool()>& done);
    bool Fail(DWORD code);
    void ReportStatus(const QString& text);
    const CRemoteAddress& Address() const { return m_address; }
    int AnswerTimeoutMs() const { return m_answerMs; }
    // Runs the call from the event loop, unless the port is gone by then.
    void Post(std::function<void()> call);

    DWORD m_speed = 230400;

public:
    struct Lookup;

private:
    bool StartConnecting(const QString& name, bool quiet);
    // Moves a connect in progress on: IoPending while it goes on, 0 once connected, else
    // the failure.
    DWORD AdvanceConnect();
    bool FinishOpen(bool quiet);
    bool AdvanceOpen(bool quiet);
    void OnFlooded(qint64 dropped);
    void OnReadyRead();
    void OnConnectionLost();
    void OnFailed(DWORD code);
    void AcknowledgeAtOnce();
    void ReportOpenFailure(DWORD code, bool quiet);

    IEventHost& m_host;
    IStatusSink* m_status;
    IUserPrompt* m_prompt;
    std::unique_ptr<QTcpSocket> m_socket;
    QString m_name;
    CRemoteAddress m_address;
    QByteArray m_received;
    DWORD m_lastError = 0;
    bool m_failed = false;
    DWORD m_failure = 0; // why the connection failed
    bool m_opening = false; // connected, the session starting
    DWORD m_sessionFailure = 0; // why the session could not start
    bool m_connecting = false;
    QDeadlineTimer m_connectDeadline;
    std::shared_ptr<Lookup> m_lookup;
    QList<QHostAddress> m_addresses; // still to try, in order
    qint64 m_dropped = 0;
    qint64 m_sinceCommand = 0; // bytes received since the last command was sent
    bool m_notifyPending = false;
    int m_connectMs = kConnectTimeoutMs;
    int m_answerMs = kAnswerTimeoutMs;
    std::function<void()> m_notify;
    std::function<void()> m_failureNotify;
    // Callbacks posted to the event loop hold this weakly: one still queued when the port is
    // destroyed finds it gone and does nothing.
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};
