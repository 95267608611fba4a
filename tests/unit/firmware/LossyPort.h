#pragma once
// A port that passes everything to another port, except that each write first goes through a
// filter: the test's way to lose or damage bytes on their way to the amplifier.
#include "model/SerialPortInterface.h"
#include <QByteArray>
#include <functional>
#include <memory>

class CLossyPort : public ISerialPort {
public:
    // Gets the bytes of one write and its number (1-based); answers what reaches the line.
    using Filter = std::function<QByteArray(const QByteArray& bytes, int writeNumber)>;

    CLossyPort(std::unique_ptr<ISerialPort> inner, Filter filter)
        : m_inner(std::move(inner))
        , m_filter(std::move(filter))
    {
    }

    bool Open(const QString& name, bool quiet) override { return m_inner->Open(name, quiet); }
    void Close() override { m_inner->Close(); }
    bool IsOpen() const override { return m_inner->IsOpen(); }
    QString Name() const override { return m_inner->Name(); }
    bool SetSpeed(DWORD bitsPerSecond) override { return m_inner->SetSpeed(bitsPerSecond); }
    DWORD Speed() const override { return m_inner->Speed(); }
    bool PurgeReceive() override { return m_inner->PurgeReceive(); }
    bool Read(BYTE* buffer, DWORD count, DWORD* bytesRead) override { return m_inner->Read(buffer, count, bytesRead); }
    bool WriteText(const QString& text) override
    {
        const QByteArray bytes = text.toLatin1();
        return WriteBytes(reinterpret_cast<const BYTE*>(bytes.constData()), static_cast<DWORD>(bytes.size()));
    }
    bool WriteBytes(const BYTE* data, DWORD count) override
    {
        const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
        const QByteArray passed = m_filter ? m_filter(bytes, ++m_writes) : bytes;
        if (!m_inner->IsOpen())
            return m_inner->WriteBytes(data, 0);
        return passed.isEmpty()
            || m_inner->WriteBytes(
                reinterpret_cast<const BYTE*>(passed.constData()), static_cast<DWORD>(passed.size()));
    }
    DWORD LastError() const override { return m_inner->LastError(); }
    void SetNotify(std::function<void()> notify) override { m_inner->SetNotify(std::move(notify)); }
    void Settle(DWORD ms) override { m_inner->Settle(ms); }

private:
    std::unique_ptr<ISerialPort> m_inner;
    Filter m_filter;
    int m_writes = 0;
};
