#include "ScriptedPort.h"
#include "model/ResultCode.h"

bool CScriptedPort::Open(const QString& name, bool)
{
    m_name = name;
    if (failOpenWith5) {
        m_lastError = Result::AccessDenied;
        return false;
    }
    m_open = true;
    m_speed = 230400;
    return true;
}

bool CScriptedPort::SetSpeed(DWORD bitsPerSecond)
{
    if (!m_open) {
        m_lastError = Result::InvalidHandle;
        return false;
    }
    if (!IsSupportedSpeed(bitsPerSecond)) {
        m_lastError = Result::InvalidArgumentHResult;
        return false;
    }
    m_speed = bitsPerSecond;
    return true;
}

bool CScriptedPort::PurgeReceive()
{
    if (!m_open) {
        m_lastError = Result::InvalidHandle;
        return false;
    }
    pending.clear();
    return true;
}

bool CScriptedPort::Read(BYTE* buffer, DWORD count, DWORD* bytesRead)
{
    *bytesRead = 0;
    if (!m_open) {
        m_lastError = Result::InvalidHandle;
        return false;
    }
    const DWORD n = std::min<DWORD>(count, static_cast<DWORD>(pending.size()));
    std::copy(pending.constData(), pending.constData() + n, reinterpret_cast<char*>(buffer));
    pending.remove(0, n);
    *bytesRead = n;
    return true;
}

bool CScriptedPort::WriteText(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return WriteBytes(reinterpret_cast<const BYTE*>(bytes.constData()), static_cast<DWORD>(bytes.size()));
}

bool CScriptedPort::WriteBytes(const BYTE* data, DWORD count)
{
    if (m_open && loseOnSend) {
        m_open = false;
        m_lastError = Result::PortLost;
        if (tellLoss)
            m_host.Post([this]() {
                if (m_failed)
                    m_failed();
            });
        return false;
    }
    if (!m_open || failWrites) {
        m_lastError = m_open ? Result::WriteFault : Result::InvalidHandle;
        return false;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(count));
    writes.push_back({bytes, m_speed, m_host.Now()});
    if (script) {
        const QByteArray answer = script(bytes, m_speed);
        if (!answer.isEmpty())
            m_host.StartTimer(answerDelayMs, [this, answer]() { Inject(answer); });
    }
    return true;
}

void CScriptedPort::Inject(const QByteArray& bytes)
{
    if (!m_open)
        return;
    pending.append(bytes);
    m_host.Post([this]() {
        if (m_notify)
            m_notify();
    });
}

QByteArrayList CScriptedPort::Commands() const
{
    QByteArrayList list;
    for (const Write& w : writes)
        list << w.bytes;
    return list;
}
