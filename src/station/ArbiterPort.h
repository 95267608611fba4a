#pragma once
#include "model/EventHost.h"
#include "model/SerialPortInterface.h"
#include "station/ArbiterClient.h"
#include "station/LineArbiter.h"
#include <QString>
#include <memory>

// The shared line as a port of this process: what the station server's own conversations
// (its poll cycle, the keys and power switch its endpoints ask for) write goes to the arbiter
// as one more client's, and what the arbiter gives that client is read back. It takes turns
// with every other client and waits like them while one has the line to itself.
class CArbiterPort : public ISerialPort, public IArbiterClient {
public:
    CArbiterPort(IEventHost& host, CLineArbiter& arbiter, QString clientName);
    ~CArbiterPort() override;
    CArbiterPort(const CArbiterPort&) = delete;
    CArbiterPort& operator=(const CArbiterPort&) = delete;

    // --- ISerialPort ---
    bool Open(const QString& name, bool quiet) override;
    void Close() override;
    bool IsOpen() const override { return m_client != 0; }
    QString Name() const override { return m_name; }
    // Only a firmware load's lease changes the line's speed (see CLineArbiter::RequestSpeed).
    bool SetSpeed(DWORD bitsPerSecond) override;
    DWORD Speed() const override { return m_speed; }
    bool PurgeReceive() override;
    bool Read(BYTE* buffer, DWORD count, DWORD* bytesRead) override;
    bool WriteText(const QString& text) override;
    bool WriteBytes(const BYTE* data, DWORD count) override;
    DWORD LastError() const override { return m_lastError; }
    void SetNotify(std::function<void()> notify) override { m_notify = std::move(notify); }
    QString SharedThrough() const override;
    QString BusyReason() const override;
    void SetSharingNotify(std::function<void()> changed) override { m_sharingNotify = std::move(changed); }
    void Settle(DWORD ms) override { (void)ms; }

    // --- IArbiterClient ---
    void OnLineData(const QByteArray& bytes) override;
    void OnLineBusy(LineLease lease) override;

    LineLease Busy() const { return m_busy; }

private:
    void Post(std::function<void()> call);

    IEventHost& m_host;
    CLineArbiter& m_arbiter;
    QString m_clientName;
    QString m_name;
    CLineArbiter::ClientId m_client = 0;
    DWORD m_speed = 230400;
    DWORD m_lastError = 0;
    QByteArray m_received;
    LineLease m_busy = LineLease::None;
    bool m_notifyPending = false;
    std::function<void()> m_notify;
    std::function<void()> m_sharingNotify;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
