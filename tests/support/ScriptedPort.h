#pragma once
// A serial port whose far end is a script: every write is recorded with the speed it went out
// at, and the script answers with bytes delivered after a delay of virtual time. Lets engine
// tests control exactly what arrives and when (split answers, bursts, silence).
#include "model/SerialPortInterface.h"
#include "link/VirtualEventHost.h"
#include <QByteArrayList>
#include <functional>
#include <vector>

class CScriptedPort : public ISerialPort {
public:
    struct Write {
        QByteArray bytes;
        DWORD speed;
        std::uint64_t time;
    };
    // Answers a write: the bytes to send back (empty: silence).
    using Script = std::function<QByteArray(const QByteArray& written, DWORD speed)>;

    explicit CScriptedPort(CVirtualEventHost& host) : m_host(host) {}

    bool Open(const QString& name, bool) override;
    void Close() override { m_open = false; }
    bool IsOpen() const override { return m_open; }
    QString Name() const override { return m_name; }
    bool SetSpeed(DWORD bitsPerSecond) override;
    DWORD Speed() const override { return m_speed; }
    bool PurgeReceive() override;
    bool Read(BYTE* buffer, DWORD count, DWORD* bytesRead) override;
    bool WriteText(const QString& text) override;
    bool WriteBytes(const BYTE* data, DWORD count) override;
    DWORD LastError() const override { return m_lastError; }
    void SetNotify(std::function<void()> notify) override { m_notify = std::move(notify); }
    void SetFailureNotify(std::function<void()> failed) override { m_failed = std::move(failed); }
    void Settle(DWORD) override {}

    // Bytes arriving now, with one notification.
    void Inject(const QByteArray& bytes);

    Script script;
    DWORD answerDelayMs = 2;
    std::vector<Write> writes;
    QByteArray pending;  // received and not yet read
    bool failOpenWith5 = false;
    bool failWrites = false;
    // A send meets a vanished device: the port closes, as a real one does; tellLoss also
    // posts the failure notification the real port sends afterwards.
    bool loseOnSend = false;
    bool tellLoss = false;
    QByteArrayList Commands() const;

private:
    CVirtualEventHost& m_host;
    QString m_name;
    bool m_open = false;
    DWORD m_speed = 230400;
    DWORD m_lastError = 0;
    std::function<void()> m_notify;
    std::function<void()> m_failed;
};
