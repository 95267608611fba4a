#include "station/StationServer.h"
#include "model/ContactStateMachineInterface.h"
#include "model/ErrorText.h"
#include "model/Model.h"
#include "model/StringTable.h"
#include "station/LineArbiter.h"
#include "station/StationStringIds.h"

CStationServer::CStationServer(CModel& model, CLineArbiter& arbiter, std::function<void(const QString&)> log)
    : m_model(model)
    , m_arbiter(arbiter)
    , m_log(std::move(log))
    , m_watch(model, [this]() { Changed(); })
{
    m_model.Dispatcher().SetFallback([this]() { m_arbiter.OnPortReadable(); });
    // After a firmware load the amplifier may be in its boot loader or at another speed.
    m_arbiter.SetBootLeaseEnded([this]() {
        std::weak_ptr<int> alive = m_alive;
        m_model.Host().Post([this, alive]() {
            if (!alive.expired())
                Recontact(true);
        });
    });
}

CStationServer::~CStationServer()
{
    Stop();
    m_model.Dispatcher().SetFallback(nullptr);
    m_arbiter.SetBootLeaseEnded(nullptr);
}

void CStationServer::Start()
{
    m_stopped = false;
    m_watch.Attach();
    Recontact(true);
}

void CStationServer::Stop()
{
    if (m_stopped)
        return;
    m_stopped = true;
    m_watch.Detach();
    if (m_retry) {
        m_model.Host().StopTimer(m_retry);
        m_retry = 0;
    }
    m_arbiter.DetachPort();
    m_attached = false;
    IContactStateMachine* contact = m_model.ContactMachine();
    if (!contact->IsIdle())
        contact->Cancel();
    m_model.ClosePort();
}

void CStationServer::Recontact(bool announce)
{
    if (m_stopped)
        return;
    m_arbiter.DetachPort();
    m_attached = false;
    if (announce)
        LogOnce(FormatResource(IDS_STATION_SEARCHING, m_model.m_port.m_value));
    m_model.ContactMachine()->StartContact();
}

void CStationServer::Changed()
{
    // The values change inside the machines' steps: look at them once they are done.
    if (m_evaluatePending || m_stopped)
        return;
    m_evaluatePending = true;
    std::weak_ptr<int> alive = m_alive;
    m_model.Host().Post([this, alive]() {
        if (alive.expired())
            return;
        m_evaluatePending = false;
        Evaluate();
    });
}

void CStationServer::Evaluate()
{
    if (m_stopped)
        return;
    IContactStateMachine* contact = m_model.ContactMachine();
    const int status = m_model.m_firmwareStatus.m_value;
    const bool inContact = m_model.IsPortOpen() && (status == FirmwareApplication || status == FirmwareBootLoader);
    if (!contact->IsIdle()) {
        if (m_attached) {
            m_arbiter.DetachPort();
            m_attached = false;
        }
        return;
    }
    if (inContact) {
        if (!m_attached || m_attachedStatus != status) {
            m_arbiter.AttachPort(m_model.Port(), status == FirmwareBootLoader);
            m_attached = true;
            m_attachedStatus = status;
            LogOnce(FormatResource(IDS_STATION_IN_CONTACT, m_model.m_port.m_value, m_model.PortSpeed(),
                ResourceString(status == FirmwareBootLoader ? IDS_STATION_BOOT_LOADER : IDS_STATION_APPLICATION)));
        }
        return;
    }
    if (m_attached) {
        m_arbiter.DetachPort();
        m_attached = false;
    }
    if (m_model.m_portLost.m_value != 0) {
        LogOnce(FormatResource(IDS_STATION_LOST, m_model.m_port.m_value));
    } else {
        const DWORD code = contact->ResultCode() != 0 ? contact->ResultCode() : m_model.PortLastError();
        LogOnce(FormatResource(IDS_STATION_WAITING, m_model.m_port.m_value, GetErrorText(code).trimmed()));
    }
    if (m_retry == 0) {
        m_retry = m_model.Host().StartTimer(kRetryMs, [this]() {
            m_retry = 0;
            Recontact(false);
        });
    }
}

void CStationServer::LogOnce(const QString& text)
{
    // A link that stays down is told once, not at every attempt.
    if (text == m_lastLine)
        return;
    m_lastLine = text;
    if (m_log)
        m_log(text);
}
