#pragma once
// What the operate commands of the command line share: the amplifier found, the operate machine
// made, poll cycles run one at a time.
#include "cli/CliContext.h"
#include "model/EventSink.h"
#include <QStringList>
#include <functional>

class COperateStateMachine;
class IOperateStateMachine;

class COperateSession : public IEventSink {
public:
    explicit COperateSession(CCliContext& context);
    ~COperateSession();

    // Finds the amplifier and makes the operate machine: ExitSuccess, or the exit status after
    // saying what failed.
    int Open();
    IOperateStateMachine& Machine();
    // Runs one poll cycle to its end (Ctrl+C cancels it at its next send); answers its result.
    DWORD RunCycle();
    // Lets the event loop run for `ms` (or until Ctrl+C) without spinning.
    void Wait(DWORD ms);
    // The request, the cycle that sends it and one more, then the state read back on standard
    // output. `needsPower`: an amplifier found switched off is sent nothing and fails with
    // 0xE2000088; `sentLines` go to standard output once the request has gone out; `taken`
    // checks that the amplifier shows the request (0xE2000089 when it does not).
    int RequestAndReadBack(const std::function<void(IOperateStateMachine&)>& request, bool needsPower,
        const QStringList& sentLines, const std::function<bool(const CModel&)>& taken = {});

    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;

private:
    CCliContext& m_context;
    COperateStateMachine* m_machine = nullptr;
    std::function<void()> m_onCompletion;
};
