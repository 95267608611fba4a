// Feeds arbitrary bytes to the receive path of the machines: the contact sequence and an EEPROM
// block read get the input, chunk by chunk, as the amplifier's answers to what they send.
#include "model/ContactStateMachineInterface.h"
#include "link/states/ReadSerialPromState.h"
#include "link/VirtualEventHost.h"
#include "model/Model.h"
#include "NullSettingsStore.h"
#include <cstdint>

namespace {

// A port whose far end answers each write with the next chunk of the fuzz input.
class CFuzzPort : public ISerialPort {
public:
    CFuzzPort(CVirtualEventHost& host, const std::uint8_t* data, std::size_t size) : m_host(host), m_data(data), m_size(size) {}
    bool Open(const QString& name, bool) override { m_name = name; m_open = true; return true; }
    void Close() override { m_open = false; }
    bool IsOpen() const override { return m_open; }
    QString Name() const override { return m_name; }
    bool SetSpeed(DWORD s) override { if (!IsSupportedSpeed(s)) return false; m_speed = s; return true; }
    DWORD Speed() const override { return m_speed; }
    bool PurgeReceive() override { m_pending.clear(); return m_open; }
    bool Read(BYTE* buffer, DWORD count, DWORD* read) override
    {
        const DWORD n = std::min<DWORD>(count, static_cast<DWORD>(m_pending.size()));
        std::copy(m_pending.constData(), m_pending.constData() + n, reinterpret_cast<char*>(buffer));
        m_pending.remove(0, n);
        *read = n;
        return m_open;
    }
    bool WriteText(const QString&) override { return Answer(); }
    bool WriteBytes(const BYTE*, DWORD) override { return Answer(); }
    DWORD LastError() const override { return 6; }
    void SetNotify(std::function<void()> notify) override { m_notify = std::move(notify); }
    void Settle(DWORD) override {}

private:
    bool Answer()
    {
        if (!m_open || m_offset >= m_size)
            return m_open;
        // The first byte of each chunk gives its length; the answer may be split in two.
        const std::size_t wanted = m_data[m_offset] % 160;
        ++m_offset;
        const std::size_t length = std::min<std::size_t>(wanted, m_size - m_offset);
        const QByteArray chunk(reinterpret_cast<const char*>(m_data + m_offset), static_cast<qsizetype>(length));
        m_offset += length;
        const qsizetype split = chunk.isEmpty() ? 0 : (static_cast<unsigned char>(chunk[0]) % (chunk.size() + 1));
        m_host.StartTimer(1, [this, part = chunk.left(split)]() { Deliver(part); });
        m_host.StartTimer(2, [this, part = chunk.mid(split)]() { Deliver(part); });
        return true;
    }
    void Deliver(const QByteArray& bytes)
    {
        m_pending.append(bytes);
        if (m_notify)
            m_notify();
    }
    CVirtualEventHost& m_host;
    const std::uint8_t* m_data;
    std::size_t m_size;
    std::size_t m_offset = 0;
    QString m_name;
    bool m_open = false;
    DWORD m_speed = 230400;
    QByteArray m_pending;
    std::function<void()> m_notify;
};

class CReadProbe : public CStateHost<CReadProbe, IStateMachine> {
public:
    explicit CReadProbe(CModel* model)
        : CStateHost(model, 10), m_read(this, "ReadState", &m_finalState, 4000, 0xE2000050, 0x100, 300, m_buffer)
    {
    }
    void Start() { StartAt(&m_read, true); }
    void Release() override {}

private:
    BYTE m_buffer[300] = {};
    CReadSerialPromState<CReadProbe> m_read;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    CVirtualEventHost host;
    CModel model(host, std::make_unique<CNullSettingsStore>());
    model.SetPortFactory([&](const QString&) { return std::make_unique<CFuzzPort>(host, data, size); });
    model.m_port.Set("FUZZ");
    model.ContactMachine()->StartContact();
    host.RunUntil([&]() { return model.ContactMachine()->IsIdle(); }, 30000);
    model.ContactMachine()->Cancel();
    host.RunUntil([&]() { return model.ContactMachine()->IsIdle(); }, 30000);
    if (model.IsPortOpen()) {
        CReadProbe probe(&model);
        model.SetRunningMachine(&probe);
        probe.Start();
        host.RunUntil([&]() { return probe.IsIdle(); }, 120000);
        model.SetRunningMachine(nullptr);
    }
    return 0;
}
