#include "station/ArbiterPort.h"
#include "model/StringTable.h"
#include "station/StationStringIds.h"
#include <algorithm>
#include <cstring>

namespace {
// What the operating system answers for a write to a closed or flooded handle.
constexpr DWORD kErrorInvalidHandle = 6;
constexpr DWORD kErrorWriteFault = 29;
} // namespace

CArbiterPort::CArbiterPort(IEventHost& host, CLineArbiter& arbiter, QString clientName)
    : m_host(host)
    , m_arbiter(arbiter)
    , m_clientName(std::move(clientName))
{
}

CArbiterPort::~CArbiterPort()
{
    *m_alive = false;
    Close();
}

bool CArbiterPort::Open(const QString& name, bool quiet)
{
    (void)quiet;
    if (m_client != 0)
        return true;
    m_name = name;
    m_received.clear();
    m_lastError = 0;
    m_client = m_arbiter.AddClient(this, m_clientName);
    m_busy = m_arbiter.BusyFor(m_client);
    return true;
}

void CArbiterPort::Close()
{
    if (m_client == 0)
        return;
    m_arbiter.RemoveClient(m_client);
    m_client = 0;
    m_received.clear();
    m_busy = LineLease::None;
}

bool CArbiterPort::SetSpeed(DWORD bitsPerSecond)
{
    if (m_client == 0) {
        m_lastError = kErrorInvalidHandle;
        return false;
    }
    if (!IsSupportedSpeed(bitsPerSecond)) {
        m_lastError = 87; // ERROR_INVALID_PARAMETER
        return false;
    }
    // The line keeps the speed the amplifier runs at; the speed asked for is what the
    // conversation's speed search goes by, as over any shared line.
    m_arbiter.RequestSpeed(m_client, bitsPerSecond);
    m_speed = bitsPerSecond;
    return true;
}

bool CArbiterPort::PurgeReceive()
{
    m_received.clear();
    return m_client != 0;
}

bool CArbiterPort::Read(BYTE* buffer, DWORD count, DWORD* bytesRead)
{
    *bytesRead = 0;
    if (m_client == 0) {
        m_lastError = kErrorInvalidHandle;
        return false;
    }
    const auto n = static_cast<DWORD>(std::min<qsizetype>(count, m_received.size()));
    if (n > 0) {
        std::memcpy(buffer, m_received.constData(), n);
        m_received.remove(0, n);
    }
    *bytesRead = n;
    return true;
}

bool CArbiterPort::WriteText(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    return WriteBytes(reinterpret_cast<const BYTE*>(bytes.constData()), static_cast<DWORD>(bytes.size()));
}

bool CArbiterPort::WriteBytes(const BYTE* data, DWORD count)
{
    if (m_client == 0) {
        m_lastError = kErrorInvalidHandle;
        return false;
    }
    if (!m_arbiter.Submit(m_client, QByteArrayView(reinterpret_cast<const char*>(data), count))) {
        m_lastError = kErrorWriteFault;
        return false;
    }
    return true;
}

QString CArbiterPort::SharedThrough() const
{
    return m_client != 0 ? ResourceString(IDS_STATION_OWN_LINE) : QString();
}

QString CArbiterPort::BusyReason() const
{
    // The texts the sharing endpoint's signature carries, without their "busy: ".
    QString text;
    switch (m_busy) {
    case LineLease::BootLoader:
        text = ResourceString(IDS_STATION_BUSY_FIRMWARE);
        break;
    case LineLease::PowerCycle:
        text = ResourceString(IDS_STATION_BUSY_POWER);
        break;
    case LineLease::None:
        return {};
    }
    return text.mid(text.indexOf(QLatin1Char(' ')) + 1);
}

void CArbiterPort::OnLineData(const QByteArray& bytes)
{
    m_received += bytes;
    if (m_notifyPending)
        return;
    m_notifyPending = true;
    Post([this]() {
        m_notifyPending = false;
        if (m_notify)
            m_notify();
    });
}

void CArbiterPort::OnLineBusy(LineLease lease)
{
    if (lease == m_busy)
        return;
    m_busy = lease;
    Post([this]() {
        if (m_sharingNotify)
            m_sharingNotify();
    });
}

void CArbiterPort::Post(std::function<void()> call)
{
    // Never from inside the arbiter's own call: the port's owner may write again at once.
    std::weak_ptr<bool> alive = m_alive;
    m_host.Post([alive, call = std::move(call)]() {
        const auto token = alive.lock();
        if (token && *token)
            call();
    });
}
