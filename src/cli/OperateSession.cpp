#include "cli/OperateSession.h"
#include "cli/OperateReadings.h"
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include "operate/OperateStateMachine.h"
#include "operate/OperateStringIds.h"
#include <QDateTime>
#include <QEventLoop>
#include <QTimer>

namespace {
// How often a wait looks for Ctrl+C: the signal handler can only set a flag.
constexpr int kInterruptCheckMs = 100;
} // namespace

COperateSession::COperateSession(CCliContext& context)
    : m_context(context)
{
}

COperateSession::~COperateSession()
{
    m_context.Model().m_completion.RemoveObserver(this);
    if (m_machine)
        m_machine->Release();
}

int COperateSession::Open()
{
    const DWORD contact = m_context.Connect();
    if (contact != 0)
        return m_context.ReportFailure(contact);
    CModel& model = m_context.Model();
    if (model.m_firmwareStatus.m_value == FirmwareBootLoader) {
        m_context.Err(FormatResource(IDS_OP_CLI_BOOT_LOADER, ProductName()));
        return ExitFailure;
    }
    m_machine = model.CreateMachine<COperateStateMachine>();
    if (!m_machine) {
        m_context.Err(ResourceString(IDS_OP_CLI_BUSY));
        return ExitFailure;
    }
    model.m_completion.AddObserver(this);
    return ExitSuccess;
}

IOperateStateMachine& COperateSession::Machine()
{
    return *m_machine;
}

void COperateSession::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)eventId;
    (void)index;
    (void)extra;
    if (m_onCompletion)
        m_onCompletion();
}

DWORD COperateSession::RunCycle()
{
    if (m_context.Interrupted())
        return Result::Cancelled;
    // The loop sleeps until the cycle's completion event, waking only to look for Ctrl+C.
    QEventLoop loop;
    m_onCompletion = [&loop] { loop.quit(); };
    QTimer check;
    bool cancelled = false;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (m_context.Interrupted() && !cancelled) {
            cancelled = true;
            m_machine->Cancel();
        }
    });
    check.start(kInterruptCheckMs);
    if (m_machine->StartPoll() && !m_machine->IsIdle())
        loop.exec();
    m_onCompletion = nullptr;
    return m_machine->ResultCode();
}

void COperateSession::Wait(DWORD ms)
{
    if (ms == 0 || m_context.Interrupted())
        return;
    QEventLoop loop;
    QTimer done;
    done.setSingleShot(true);
    QObject::connect(&done, &QTimer::timeout, &loop, &QEventLoop::quit);
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &loop, [&] {
        if (m_context.Interrupted())
            loop.quit();
    });
    done.start(static_cast<int>(ms));
    check.start(kInterruptCheckMs);
    loop.exec();
}

int COperateSession::RequestAndReadBack(const std::function<void(IOperateStateMachine&)>& request, bool needsPower,
    const QStringList& sentLines, const std::function<bool(const CModel&)>& taken)
{
    CModel& model = m_context.Model();
    // The machine checks the power status it reads before it sends a key, band or relay: a
    // key sent to a switched-off amplifier would be acted on later, when nobody asks for it.
    m_machine->SetRequestsNeedPower(needsPower);
    request(*m_machine);
    for (int cycle = 0; cycle < 2; ++cycle) {
        const DWORD result = RunCycle();
        if (result != 0)
            return m_context.ReportFailure(result);
        if (cycle == 0 && needsPower && (m_machine->RefusedWhileOff() || model.m_powerStatus.m_value == 0)) {
            m_context.Err(FormatResource(IDS_OP_CLI_NEEDS_POWER, ProductName()));
            return m_context.ReportFailure(Result::AmplifierOff);
        }
        if (cycle == 0)
            for (const QString& line : sentLines)
                m_context.Out(line);
    }
    m_context.Out(ResourceString(IDS_OP_CLI_STATE_READ));
    m_context.Out(OperateReadings::Line(model, QDateTime::currentDateTime()));
    if (taken && !taken(model))
        return m_context.ReportFailure(Result::RequestNotTaken);
    return ExitSuccess;
}
