#include "sim/SimPort.h"
#include "model/ResultCode.h"

struct CSimPort::Impl {
    Impl(IEventHost& h, std::shared_ptr<CSimDevice> d)
        : host(h)
        , device(std::move(d))
    {
    }

    bool Fail(DWORD code)
    {
        lastError = code;
        return false;
    }

    // A vanished device fails every operation from the first that touches it, and the owner
    // is told once, as a real port does when its USB adapter is pulled out.
    bool Usable()
    {
        if (!open)
            return Fail(closedError);
        if (failed || device->GetFaults().unplugged)
            return Lost();
        return true;
    }

    bool Lost()
    {
        lastError = Result::PortLost;
        if (failed)
            return false;
        failed = true;
        std::weak_ptr<bool> alive = token;
        host.Post([this, alive]() {
            if (alive.expired() || !open || !failed)
                return;
            // A copy: the owner may replace the port (and this callback) before it returns.
            if (const std::function<void()> notify = failureNotify)
                notify();
        });
        return false;
    }

    void Arrived(const QByteArray& bytes)
    {
        received.append(bytes);
        Notify();
    }

    // One posted notification covers everything that arrives before the receiver runs.
    void Notify()
    {
        if (notifyPending)
            return;
        notifyPending = true;
        std::weak_ptr<bool> alive = token;
        host.Post([this, alive]() {
            if (alive.expired())
                return;
            notifyPending = false;
            if (open && !failed && notify)
                notify();
        });
    }

    IEventHost& host;
    std::shared_ptr<CSimDevice> device;
    std::shared_ptr<bool> token = std::make_shared<bool>(true);
    bool open = false;
    bool failed = false;
    DWORD closedError = Result::InvalidHandle;
    QString name;
    DWORD speed = 230400;
    DWORD lastError = 0;
    QByteArray received;
    bool notifyPending = false;
    std::function<void()> notify;
    std::function<void()> failureNotify;
};

CSimPort::CSimPort(IEventHost& host, std::shared_ptr<CSimDevice> device)
    : m_impl(std::make_unique<Impl>(host, std::move(device)))
{
}

CSimPort::~CSimPort()
{
    Close();
    m_impl->token.reset();
}

bool CSimPort::Open(const QString& name, bool quiet)
{
    Impl& d = *m_impl;
    if (IsOpen())
        return true;
    Close();
    d.closedError = Result::InvalidHandle;
    d.name = name;
    if (name.isEmpty())
        return d.Fail(Result::PortNameMissing);
    if (d.device->GetFaults().unplugged)
        return d.Fail(Result::FileNotFound);
    if (!d.device->Claim(this))
        return d.Fail(Result::AccessDenied);
    d.open = true;
    d.speed = 230400;
    d.received.clear();
    d.device->SetLineSpeed(d.speed);
    d.device->SetOutput([&d](const QByteArray& bytes) { d.Arrived(bytes); });
    d.device->SetAttention([&d]() {
        if (d.device->GetFaults().unplugged)
            d.Lost();
        else
            d.Notify();
    });
    d.lastError = 0;
    return true;
}

void CSimPort::Close()
{
    Impl& d = *m_impl;
    if (!d.open)
        return;
    // Closed by its owner after the loss, the port goes on naming the loss until opened again.
    d.closedError = d.failed ? Result::PortLost : Result::InvalidHandle;
    d.open = false;
    d.failed = false;
    d.received.clear();
    d.device->Release(this);
}

bool CSimPort::IsOpen() const
{
    return m_impl->open && !m_impl->failed;
}

QString CSimPort::Name() const
{
    return m_impl->name;
}

bool CSimPort::SetSpeed(DWORD bitsPerSecond)
{
    Impl& d = *m_impl;
    if (!d.Usable())
        return false;
    if (!IsSupportedSpeed(bitsPerSecond))
        return d.Fail(Result::InvalidArgumentHResult);
    d.speed = bitsPerSecond;
    d.device->SetLineSpeed(bitsPerSecond);
    return true;
}

DWORD CSimPort::Speed() const
{
    return m_impl->speed;
}

bool CSimPort::PurgeReceive()
{
    Impl& d = *m_impl;
    if (!d.Usable())
        return false;
    d.received.clear();
    return true;
}

bool CSimPort::Read(BYTE* buffer, DWORD count, DWORD* bytesRead)
{
    Impl& d = *m_impl;
    *bytesRead = 0;
    if (!d.Usable())
        return false;
    const qsizetype n = std::min<qsizetype>(count, d.received.size());
    std::copy(d.received.constData(), d.received.constData() + n, reinterpret_cast<char*>(buffer));
    d.received.remove(0, n);
    *bytesRead = static_cast<DWORD>(n);
    return true;
}

bool CSimPort::WriteText(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return WriteBytes(reinterpret_cast<const BYTE*>(bytes.constData()), static_cast<DWORD>(bytes.size()));
}

bool CSimPort::WriteBytes(const BYTE* data, DWORD count)
{
    Impl& d = *m_impl;
    if (!d.Usable())
        return false;
    if (count == 0)
        return true;
    d.device->Receive(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count)));
    return true;
}

DWORD CSimPort::LastError() const
{
    return m_impl->lastError;
}

void CSimPort::SetNotify(std::function<void()> notify)
{
    m_impl->notify = std::move(notify);
}

void CSimPort::SetFailureNotify(std::function<void()> failed)
{
    m_impl->failureNotify = std::move(failed);
}

void CSimPort::Settle(DWORD)
{
    // Nothing to settle: the simulated line takes a new speed at once.
}

CSimDevice& CSimPort::Device()
{
    return *m_impl->device;
}
