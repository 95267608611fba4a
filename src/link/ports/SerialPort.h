#pragma once
#include "model/EventHost.h"
#include "model/ResultCode.h"
#include "model/SerialPortInterface.h"
#include <QObject>
#include <memory>

class QSerialPort;
class IStatusSink;
class IUserPrompt;

// A real serial port over QSerialPort. Received bytes raise a notification posted to the event
// loop; reads return what has arrived without waiting; writes wait until every byte is out.
// Native errors are reported in the Win32 numbering the rest of the program uses.
class CSerialPort : public QObject, public ISerialPort {
    Q_OBJECT
public:
    // The sink and prompt (both may be null) receive the port's reports and error boxes.
    CSerialPort(IEventHost& host, IStatusSink* status, IUserPrompt* prompt);
    ~CSerialPort() override;

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
    QString ErrorAdvice() const override { return m_advice; }

    // The message box and status line of a failed operation ("WriteFile", "SetCommState" ...).
    void ReportError(const QString& operation, DWORD code);

    // Win32 number for a QSerialPort error.
    static DWORD MapError(int serialPortError);

private:
    bool Fail(const QString& operation, DWORD code, bool report);
    // The error the port's last operation left: a vanished device goes through Lost, anything
    // else is reported with the operation's name.
    bool FailOperation(const QString& operation);
    bool Lost();
    void ReleaseDevice();
    void OnReadyRead();
    QString FindAccessAdvice() const;

    IEventHost& m_host;
    IStatusSink* m_status;
    IUserPrompt* m_prompt;
    std::unique_ptr<QSerialPort> m_port;
    QString m_name;
    DWORD m_speed = 230400;
    DWORD m_lastError = 0;
    QString m_advice;
    bool m_notifyPending = false;
    // The device has gone and the owner has not closed the port yet.
    bool m_lost = false;
    // What an operation on a port that is not open answers: the loss, from the moment of one
    // until the port is opened again.
    DWORD m_closedError = Result::InvalidHandle;
    // Only one error box at a time: under an open box, events keep coming.
    bool m_reporting = false;
    std::function<void()> m_notify;
    std::function<void()> m_failureNotify;
    // Callbacks posted to the event loop hold it weakly: one still queued when the port is
    // destroyed (its name changed while bytes were arriving) must not touch it.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
