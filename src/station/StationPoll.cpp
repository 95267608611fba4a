#include "station/StationPoll.h"
#include "model/ContactStateMachineInterface.h"
#include "model/Model.h"
#include "model/ResultCode.h"
#include "model/SettingsStore.h"
#include "model/StringTable.h"
#include "operate/OperatePoller.h"
#include "operate/OperateStateMachineInterface.h"
#include "station/ArbiterPort.h"
#include "station/StationStringIds.h"
#include <QHash>
#include <algorithm>

namespace {
// The poll model's settings live as long as the server: nothing of them is kept on disk, so
// the server never changes what the desktop program has stored.
class CMemorySettingsStore : public ISettingsStore {
public:
    bool IsOpen() const override { return true; }
    DWORD ReadDword(const QString& name, DWORD* value) override
    {
        const auto it = m_numbers.constFind(name);
        if (it == m_numbers.constEnd())
            return 2;
        *value = *it;
        return 0;
    }
    DWORD ReadString(const QString& name, QString* value) override
    {
        const auto it = m_texts.constFind(name);
        if (it == m_texts.constEnd())
            return 2;
        *value = *it;
        return 0;
    }
    DWORD WriteDword(const QString& name, DWORD value) override
    {
        m_numbers.insert(name, value);
        return 0;
    }
    DWORD WriteString(const QString& name, const QString& value) override
    {
        m_texts.insert(name, value);
        return 0;
    }

private:
    QHash<QString, DWORD> m_numbers;
    QHash<QString, QString> m_texts;
};

const QString kPortName = QStringLiteral("station");
} // namespace

CStationPoll::CStationPoll(IEventHost& host, CLineArbiter& arbiter, DWORD intervalMs)
    : m_host(host)
    , m_arbiter(arbiter)
    , m_interval(intervalMs)
    , m_model(std::make_unique<CModel>(host, std::make_unique<CMemorySettingsStore>()))
{
    m_model->m_operatePollInterval.Set(intervalMs);
    m_model->m_port.Set(kPortName);
    m_model->SetPortFactory([this](const QString&) {
        auto port = std::make_unique<CArbiterPort>(m_host, m_arbiter, ResourceString(IDS_STATION_OWN_POLL));
        m_port = port.get();
        return port;
    });
    m_poller = std::make_unique<COperatePoller>(*m_model);
    // The server polls at the interval whatever the amplifier's power: an endpoint may switch
    // it on at any time, and its readings must follow at once.
    m_poller->SetPowerBoxProbe([]() { return true; });
}

CStationPoll::~CStationPoll()
{
    *m_alive = false;
    Stop();
    m_poller.reset();
    m_model.reset();
}

void CStationPoll::Start()
{
    if (m_started)
        return;
    m_started = true;
    m_model->m_completion.AddObserver(this);
    m_model->m_lineBusy.AddObserver(this);
    // The contact reads who the amplifier is (serial number, firmware revision); the poll
    // cycles begin once it has ended.
    m_model->ContactMachine()->StartContact();
    m_poller->Start();
}

void CStationPoll::Stop()
{
    if (!m_started)
        return;
    m_started = false;
    m_poller->Stop();
    m_model->m_completion.RemoveObserver(this);
    m_model->m_lineBusy.RemoveObserver(this);
    m_model->ClosePort();
    m_port = nullptr;
    auto requests = std::move(m_requests);
    m_requests.clear();
    for (Request& request : requests)
        if (request.done)
            request.done(Result::Cancelled);
}

CStationPoll::Link CStationPoll::State() const
{
    if (m_model->IsLineBusy())
        return Link::Busy;
    if (!m_everAnswered)
        return Link::Searching;
    return m_lastAnswered ? Link::InContact : Link::Lost;
}

QString CStationPoll::StateText() const
{
    switch (State()) {
    case Link::Searching:
        return ResourceString(IDS_STATION_STATE_SEARCHING);
    case Link::InContact:
        return ResourceString(IDS_STATION_STATE_IN_CONTACT);
    case Link::Lost:
        return ResourceString(IDS_STATION_STATE_LOST);
    case Link::Busy:
        return FormatResource(IDS_STATION_STATE_BUSY, m_model->m_lineBusy.m_value);
    }
    return {};
}

std::uint64_t CStationPoll::FreshLimitMs() const
{
    return 2 * std::max<std::uint64_t>(m_interval, m_lastCycleMs);
}

bool CStationPoll::Fresh() const
{
    if (State() != Link::InContact || !m_readings.at.isValid())
        return false;
    return m_host.TickCount() - m_readings.tick <= FreshLimitMs();
}

unsigned CStationPoll::SerialNumber() const
{
    return m_model->m_serialNumber.m_value;
}

unsigned CStationPoll::FirmwareRevision() const
{
    return m_model->m_firmwareRevision.m_value;
}

int CStationPoll::Subscribe(std::function<void()> changed)
{
    const int id = m_nextListener++;
    m_listeners.emplace(id, std::move(changed));
    return id;
}

void CStationPoll::Unsubscribe(int id)
{
    m_listeners.erase(id);
}

void CStationPoll::Tell()
{
    // A listener may unsubscribe (or subscribe) while being told.
    std::vector<int> ids;
    for (const auto& [id, listener] : m_listeners)
        ids.push_back(id);
    for (int id : ids) {
        const auto it = m_listeners.find(id);
        if (it != m_listeners.end() && it->second)
            it->second();
    }
}

void CStationPoll::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)extra;
    if (eventId == m_model->m_completion.EventId()) {
        CycleEnded(static_cast<DWORD>(index));
        return;
    }
    if (eventId == m_model->m_lineBusy.EventId())
        Tell();
}

void CStationPoll::CycleEnded(DWORD result)
{
    const std::uint64_t now = m_host.TickCount();
    if (m_cycleStart != 0)
        m_lastCycleMs = now - m_cycleStart;
    m_cycleStart = now;
    const bool answered = result == 0;
    if (answered)
        TakeReadings();
    // A busy line answers nothing: the amplifier is as it was, not lost.
    if (!m_model->IsLineBusy()) {
        // Back after a loss: the amplifier may be another one, so its identity is read again.
        if (answered && m_everAnswered && !m_lastAnswered)
            m_model->ContactMachine()->StartContact();
        m_everAnswered = m_everAnswered || answered;
        m_lastAnswered = answered;
    }
    Settle(result);
    SubmitPending();
    Tell();
}

void CStationPoll::TakeReadings()
{
    m_readings = OperateSnapshots::Take(*m_model, QDateTime::currentDateTime(), m_host.TickCount());
}

void CStationPoll::PressKey(OperateKey key, std::function<void(DWORD)> done)
{
    Request request;
    request.kind = Request::Kind::Key;
    request.key = key;
    request.done = std::move(done);
    Submit(std::move(request));
}

void CStationPoll::SelectBand(int band, std::function<void(DWORD)> done)
{
    if (OperateKeys::BandCommand(static_cast<DWORD>(band)).isEmpty()) {
        if (done)
            done(Result::RequestNotTaken);
        return;
    }
    Request request;
    request.kind = Request::Kind::Band;
    request.band = band;
    request.done = std::move(done);
    Submit(std::move(request));
}

void CStationPoll::WithdrawBand()
{
    std::vector<std::function<void(DWORD)>> withdrawn;
    bool held = false;
    for (auto it = m_requests.begin(); it != m_requests.end();) {
        if (it->kind != Request::Kind::Band) {
            ++it;
            continue;
        }
        held = held || it->sent;
        withdrawn.push_back(std::move(it->done));
        it = m_requests.erase(it);
    }
    // The machine holds the band until its key state: a band without a key takes its place there,
    // and nothing goes out.
    if (held && m_poller->Machine())
        m_poller->Machine()->SelectBand(static_cast<BYTE>(OperateKeys::kBandCount));
    for (auto& done : withdrawn)
        if (done)
            done(Result::Cancelled);
}

void CStationPoll::SetPower(bool on, std::function<void(DWORD)> done)
{
    Request request;
    request.kind = Request::Kind::Power;
    request.on = on;
    request.done = std::move(done);
    Submit(std::move(request));
}

void CStationPoll::Submit(Request request)
{
    if (!m_started) {
        if (request.done)
            request.done(Result::Cancelled);
        return;
    }
    m_requests.push_back(std::move(request));
    SubmitPending();
}

void CStationPoll::SubmitPending()
{
    // Requests go to the machine as soon as there is one; the poller restarts an idle one so
    // that they go out at once.
    bool any = false;
    for (const Request& request : m_requests)
        any = any || !request.sent;
    if (!any)
        return;
    m_poller->Request([this](IOperateStateMachine& machine) {
        machine.SetRequestsNeedPower(true);
        for (Request& request : m_requests) {
            if (request.sent)
                continue;
            switch (request.kind) {
            case Request::Kind::Key:
                ::PressKey(machine, request.key);
                break;
            case Request::Kind::Band:
                machine.SelectBand(static_cast<BYTE>(request.band));
                break;
            case Request::Kind::Power:
                machine.SetPowerStatus(request.on ? 1 : 0);
                break;
            }
            request.sent = true;
        }
    });
}

void CStationPoll::Settle(DWORD result)
{
    IOperateStateMachine* machine = m_poller->Machine();
    const bool keysOut = machine && !machine->HasPendingKeys();
    const bool powerOut = machine && !machine->IsPowerRequestPending();
    const bool refused = machine && machine->RefusedWhileOff();
    std::vector<std::pair<std::function<void(DWORD)>, DWORD>> finished;
    for (auto it = m_requests.begin(); it != m_requests.end();) {
        Request& request = *it;
        std::optional<DWORD> outcome;
        if (!request.sent) {
            // No machine took it yet (another conversation had the model): try again.
        } else if (request.kind != Request::Kind::Power) {
            if (keysOut && result == 0)
                outcome = refused ? Result::AmplifierOff : 0;
            else if (result != 0 && ++request.failures >= kRequestAttempts)
                outcome = result;
        } else if (powerOut && result == 0) {
            // The cycle that sent it read the power back; one more shows where it settled.
            if (++request.answeredCycles >= 2)
                outcome = m_readings.powerOn == request.on ? 0 : Result::RequestNotTaken;
        } else if (result != 0 && ++request.failures >= kRequestAttempts) {
            outcome = result;
        }
        if (outcome) {
            finished.emplace_back(std::move(request.done), *outcome);
            it = m_requests.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& [done, outcome] : finished)
        if (done)
            done(outcome);
}
