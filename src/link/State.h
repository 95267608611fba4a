#pragma once
#include "model/Types.h"
#include <QByteArray>

// The base of every state of a machine SM. A state is visited by Prepare then Enter; while it
// is current it waits for an answer (OnResponse) or its time-out (OnTimeout); it leaves by
// GoToNext, GoToFinal or Fail.
template <class SM>
class CState {
public:
    CState(SM* host, const char* name, CState* next = nullptr) : m_host(host), m_name(name), m_next(next) {}
    virtual ~CState() = default;
    CState(const CState&) = delete;
    CState& operator=(const CState&) = delete;

    virtual void GoToNext()
    {
        if (m_next)
            m_host->EnterState(m_next);
    }
    virtual void GoToFinal() { m_host->EnterFinalState(); }
    virtual void OnResponse() {}
    virtual void Enter() = 0;
    virtual void Prepare() {}
    virtual void OnTimeout() {}
    virtual void TraceSend(const QByteArray& command) { (void)command; }
    virtual void Fail(DWORD code)
    {
        m_host->m_result = code;
        GoToFinal();
    }

    const char* Name() const { return m_name; }
    void SetNext(CState* next) { m_next = next; }
    CState* Next() const { return m_next; }

protected:
    SM* m_host;
    const char* m_name;
    CState* m_next;
};

// The resting state: the machine is idle exactly while it is current. What the machine does
// when it gets here is its own (CStateHost::OnFinalState).
template <class SM>
class CFinalState : public CState<SM> {
public:
    CFinalState() : CState<SM>(nullptr, "FinalState") {}
    void Enter() override {}
};
