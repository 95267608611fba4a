#pragma once
#include "model/SerialPortInterface.h"
#include "sim/SimDevice.h"
#include <memory>

// The port "SIM": the simulated amplifier in-process, behaving like a serial port (exclusive
// open, the seven speeds, non-blocking reads of what has arrived, notifications posted to the
// event loop).
class CSimPort : public ISerialPort {
public:
    CSimPort(IEventHost& host, std::shared_ptr<CSimDevice> device);
    ~CSimPort() override;

    bool Open(const QString& name, bool quiet) override;
    void Close() override;
    bool IsOpen() const override;
    QString Name() const override;
    bool SetSpeed(DWORD bitsPerSecond) override;
    DWORD Speed() const override;
    bool PurgeReceive() override;
    bool Read(BYTE* buffer, DWORD count, DWORD* bytesRead) override;
    bool WriteText(const QString& text) override;
    bool WriteBytes(const BYTE* data, DWORD count) override;
    DWORD LastError() const override;
    void SetNotify(std::function<void()> notify) override;
    void SetFailureNotify(std::function<void()> failed) override;
    void Settle(DWORD ms) override;

    CSimDevice& Device();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};
