#pragma once
#include "link/LinkQuality.h"
#include "link/State.h"
#include "model/StateMachine.h"
#include "model/Model.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"

// The common data of a machine and the dispatch of received text and timer ticks to its
// current state. SM is the machine class (it derives from CStateHost<SM, IFace>), IFace the
// machine's interface (an IStateMachine).
//
// Received bytes are read one at a time up to a terminator; a partial answer is kept for the
// next notification and bytes after a terminator stay in the port for the next one (or are
// discarded by the next send, which clears the receive buffer).
template <class SM, class IFace = IStateMachine>
class CStateHost : public IFace {
public:
    CStateHost(CModel* model, DWORD timerId) : m_current(&m_finalState), m_model(model), m_timerId(timerId) {}
    ~CStateHost() override { StopTimer(); }

    // --- IStateMachine ---
    bool Cancel() override
    {
        if (IsIdle())
            return false;
        if (!Result::Failed(m_result))
            m_result = Result::Cancelled;
        return true;
    }
    bool IsIdle() const override { return m_current == &m_finalState; }
    void Release() override
    {
        StopTimer();
        m_model->ForgetRunningMachine(this);
        if (m_dispatchDepth > 0)
            m_deletePending = true;  // still on the stack: destroyed when the dispatch unwinds
        else
            delete this;
    }
    void OnCommEvent(bool& handled) override
    {
        handled = true;
        CDispatchGuard guard(this);
        ISerialPort* port = m_model->Port();
        if (!port || !port->IsOpen()) {
            // The port closed under the conversation (its device vanished): it ends here.
            FailOnPortError(port);
            return;
        }
        BYTE byte = 0;
        DWORD count = 0;
        if (!port->Read(&byte, 1, &count)) {
            FailOnPortError(port);
            return;
        }
        while (count == 1) {
            m_received.append(static_cast<char>(byte));
            if (!m_terminators.isEmpty() && m_terminators.contains(static_cast<char>(byte)))
                break;
            if (!port->Read(&byte, 1, &count)) {
                FailOnPortError(port);
                return;
            }
        }
        if (m_received.isEmpty() || !m_terminators.contains(m_received.back()))
            return;
        if (m_model->IsTracing())
            Trace(FormatResource(IDS_TRACE_RESPONSE, QString::fromLatin1(m_current->Name()), EscapeForTrace(m_received),
                                 ElapsedSinceSend()));
        m_current->OnResponse();
        if (!m_deletePending)
            m_received.clear();
    }
    void OnTimer(DWORD timerId, bool& handled) override
    {
        if (timerId != m_timerId)
            return;
        handled = true;
        CDispatchGuard guard(this);
        StopTimer();
        if (m_model->IsTracing())
            Trace(FormatResource(IDS_TRACE_TIMER, QString::fromLatin1(m_current->Name()), ElapsedSinceSend()));
        m_current->OnTimeout();
    }
    DWORD ResultCode() const override { return m_result; }
    DWORD RetryCount() const override { return m_link.m_retries; }

    // Trace lines go to the model's trace output; a machine may send them elsewhere as well.
    virtual void Trace(const QString& text) { m_model->TraceLine(text); }

    // --- used by the states ---
    void EnterState(CState<SM>* state)
    {
        m_current = state;
        if (state == &m_finalState) {
            StopTimer();
            OnFinalState();
            return;
        }
        state->Prepare();
        state->Enter();
    }
    void EnterFinalState() { EnterState(&m_finalState); }
    // Makes the state current without its Prepare, as a state that hands back to another in
    // the middle of its visit does.
    void ResumeState(CState<SM>* state) { m_current = state; }

    void StartTimer(DWORD ms)
    {
        m_sendTime = m_model->Host().TickCount();
        m_model->Dispatcher().SetTimer(m_timerId, ms);
    }
    void StopTimer() { m_model->Dispatcher().KillTimer(m_timerId); }
    DWORD ElapsedSinceSend() const { return m_model->Host().TickCount() - m_sendTime; }

    // Sets the progress position again (to the same value): whoever shows progress redraws it,
    // and with it the retries so far, while a block is being asked for again.
    void NotifyRetry() { m_model->m_progressPosition.Set(m_model->m_progressPosition.m_value); }
    const CLinkQuality& Link() const { return m_link; }

    void ReportStatus(const QString& text) { m_model->Status(text); }
    void ReportVerbose(const QString& text) { m_model->Verbose(text); }

    // Every character outside 0x20..0x7E is written as \xHH.
    static QString EscapeForTrace(const QByteArray& bytes)
    {
        QString out;
        out.reserve(bytes.size());
        for (char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            if (b >= 0x20 && b <= 0x7E)
                out += QChar(b);
            else
                out += QString::asprintf("\\x%02X", b);
        }
        return out;
    }

    CModel* Model() const { return m_model; }
    CState<SM>* CurrentState() const { return m_current; }
    int Status() const { return m_status; }

    DWORD m_retryLimit = 10;
    CFinalState<SM> m_finalState;
    int m_status = 0;
    QByteArray m_received;
    QByteArray m_terminators;
    DWORD m_result = 0;
    DWORD m_sendTime = 0;
    // What the block exchanges have shown of the line; lives as long as the machine.
    CLinkQuality m_link;

protected:
    // A start operation: status from the model, result 0, then the entry state's Prepare and
    // Enter. Only-when-idle starts answer false while the machine is busy.
    bool StartAt(CState<SM>* entry, bool onlyWhenIdle)
    {
        if (onlyWhenIdle && !IsIdle())
            return false;
        CDispatchGuard guard(this);
        StopTimer();
        m_status = m_model->m_firmwareStatus.m_value;
        m_result = 0;
        m_received.clear();
        EnterState(entry);
        return true;
    }

    // The end of a task machine: a failure clears the status, the model's firmware status
    // follows it (0 when the port is closed), and the completion event carries the result.
    virtual void OnFinalState()
    {
        if (Result::Failed(m_result))
            m_status = 0;
        m_model->PublishFirmwareStatus(m_status);
        m_model->NotifyCompletion(m_result);
    }

    CState<SM>* m_current;
    CModel* m_model;
    DWORD m_timerId;

private:
    // A read that fails means the port is broken (typically the device has gone, which closes
    // the port): waiting on would only fail later with a less telling code.
    void FailOnPortError(ISerialPort* port)
    {
        if (IsIdle())
            return;
        StopTimer();
        m_current->Fail(port && port->LastError() ? port->LastError() : Result::InvalidHandle);
    }

    // Keeps the machine alive while one of its entry points is on the stack: an observer of
    // the completion event may release it synchronously.
    class CDispatchGuard {
    public:
        explicit CDispatchGuard(CStateHost* host) : m_host(host) { ++m_host->m_dispatchDepth; }
        ~CDispatchGuard()
        {
            if (--m_host->m_dispatchDepth == 0 && m_host->m_deletePending)
                delete m_host;
        }

    private:
        CStateHost* m_host;
    };
    int m_dispatchDepth = 0;
    bool m_deletePending = false;
};
