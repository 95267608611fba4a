#include "station/LineArbiter.h"
#include "model/SerialPortInterface.h"
#include "model/StringTable.h"
#include "station/StationStringIds.h"
#include <algorithm>

namespace {
// Commands and answers as a log shows them: printable text, other bytes as \xNN.
QString Printable(const QByteArray& bytes)
{
    QString text;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F)
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x%1").arg(b, 2, 16, QLatin1Char('0'));
    }
    return text;
}
} // namespace

CLineArbiter::CLineArbiter(IEventHost& host)
    : m_host(host)
{
}

CLineArbiter::~CLineArbiter()
{
    if (m_answerTimer)
        m_host.StopTimer(m_answerTimer);
    if (m_leaseTimer)
        m_host.StopTimer(m_leaseTimer);
}

void CLineArbiter::SetLog(std::function<void(const QString&)> log, bool verbose)
{
    m_log = std::move(log);
    m_verbose = verbose;
}

void CLineArbiter::Log(const QString& text)
{
    if (m_log)
        m_log(text);
}

void CLineArbiter::Verbose(const QString& text)
{
    if (m_verbose)
        Log(text);
}

void CLineArbiter::AttachPort(ISerialPort* port, bool bootLoader)
{
    m_port = port;
    m_bootLoader = bootLoader;
    m_received.clear();
    if (m_port)
        m_lastSpeed = m_port->Speed();
    Pump();
}

void CLineArbiter::DetachPort()
{
    if (m_port)
        m_lastSpeed = m_port->Speed();
    m_port = nullptr;
    m_received.clear();
    // The command on the line will never be answered: its client hears nothing, as from a
    // silent amplifier, and the others are not kept waiting.
    if (m_waiting)
        FinishCommand();
}

DWORD CLineArbiter::LineSpeed() const
{
    return m_port ? m_port->Speed() : m_lastSpeed;
}

CLineArbiter::ClientId CLineArbiter::AddClient(IArbiterClient* client, const QString& name)
{
    const ClientId id = m_nextId++;
    m_clients[id] = Client {client, name, {}, false};
    m_order.push_back(id);
    return id;
}

void CLineArbiter::RemoveClient(ClientId id)
{
    auto it = m_clients.find(id);
    if (it == m_clients.end())
        return;
    m_clients.erase(it);
    const auto pos = std::find(m_order.begin(), m_order.end(), id);
    const auto index = static_cast<std::size_t>(pos - m_order.begin());
    m_order.erase(pos);
    if (m_cursor > index)
        --m_cursor;
    if (m_turn == id)
        m_turn = 0;
    if (m_lastAsker == id)
        m_lastAsker = 0;
    // A command of a client that has gone still holds the line until it is answered or its
    // time is up: the answer must not reach the next client.
    if (m_holder == id)
        EndLease();
    Pump();
}

bool CLineArbiter::Submit(ClientId id, QByteArrayView bytes)
{
    auto it = m_clients.find(id);
    if (it == m_clients.end())
        return true;
    Client& client = it->second;
    if (m_holder == id && m_lease == LineLease::BootLoader) {
        // The boot loader's protocol is bytes, not commands: they pass as they come.
        WriteRaw(bytes.toByteArray());
        return true;
    }
    client.pending.append(bytes.data(), bytes.size());
    if (BusyFor(id) != LineLease::None) {
        // Held: while another program has the line, this one's commands go unanswered.
        while (const qsizetype n = LineCommand::CommandLength(client.pending)) {
            Verbose(FormatResource(IDS_STATION_COMMAND_HELD, client.name, Printable(client.pending.left(n))));
            client.pending.remove(0, n);
        }
    }
    if (client.pending.size() > kMaxPending)
        return false;
    // The asker sending the same command again, with nothing of its answer come, has given up
    // on that answer after its own time-out (which follows the line): the line's longer one
    // would only hold every client up at each lost answer.
    if (m_waiting && m_asker == id && m_received.isEmpty() && m_host.TickCount() - m_waitStart >= kRepeatAfterMs
        && client.pending.left(LineCommand::CommandLength(client.pending)) == m_command) {
        Verbose(FormatResource(IDS_STATION_COMMAND_SILENT, client.name, Printable(m_command), 0u));
        FinishCommand();
    }
    Pump();
    return true;
}

DWORD CLineArbiter::RequestSpeed(ClientId id, DWORD bitsPerSecond)
{
    // The line has one speed for everyone: only a firmware load, which owns it, may change it.
    if (m_port && m_holder == id && m_lease == LineLease::BootLoader && IsSupportedSpeed(bitsPerSecond)
        && m_port->SetSpeed(bitsPerSecond))
        m_lastSpeed = bitsPerSecond;
    return LineSpeed();
}

bool CLineArbiter::Ready(ClientId id, const Client& client) const
{
    if (BusyFor(id) != LineLease::None || client.pending.isEmpty())
        return false;
    return TalksToBootLoader(client) || LineCommand::CommandLength(client.pending) > 0;
}

bool CLineArbiter::TalksToBootLoader(const Client& client) const
{
    // A waiting boot loader reads single letters and packets: a client that writes anything
    // but a command talks to it.
    if (!m_bootLoader || !m_port || client.pending.isEmpty())
        return false;
    const char first = client.pending[0];
    return first != '^' && first != ';';
}

CLineArbiter::ClientId CLineArbiter::PickNext()
{
    if (m_turn != 0) {
        auto it = m_clients.find(m_turn);
        if (it != m_clients.end() && Ready(m_turn, it->second) && m_turnLength < kMaxTurnLength)
            return m_turn;
        m_turn = 0;
    }
    m_turnLength = 0;
    for (std::size_t i = 0; i < m_order.size(); ++i) {
        const std::size_t index = (m_cursor + i) % m_order.size();
        const ClientId id = m_order[index];
        if (Ready(id, m_clients[id])) {
            m_cursor = index + 1;
            return id;
        }
    }
    return 0;
}

void CLineArbiter::Pump()
{
    // Delivering an answer may make a client write again, which lands here again.
    if (m_pumping)
        return;
    m_pumping = true;
    while (!m_waiting) {
        const ClientId id = PickNext();
        if (id == 0)
            break;
        SendNext(id, m_clients[id]);
    }
    m_pumping = false;
}

void CLineArbiter::SendNext(ClientId id, Client& client)
{
    const qsizetype length = LineCommand::CommandLength(client.pending);
    if (TalksToBootLoader(client)) {
        // A boot loader waiting for firmware, and a client talking to it: a firmware load.
        BeginLease(id, LineLease::BootLoader);
        const QByteArray bytes = client.pending;
        client.pending.clear();
        WriteRaw(bytes);
        return;
    }
    const QByteArray command = client.pending.left(length);
    client.pending.remove(0, length);
    if (!m_port) {
        Verbose(FormatResource(IDS_STATION_COMMAND_SILENT, client.name, Printable(command), 0u));
        return;
    }
    const LineCommand::Rule rule = LineCommand::Classify(command, client.afterErase);
    client.afterErase = rule.effect == LineCommand::Effect::EraseMemory;
    m_lastAsker = id;
    m_received.clear();
    if (!m_port->WriteBytes(reinterpret_cast<const BYTE*>(command.constData()), static_cast<DWORD>(command.size()))) {
        // The port's failure arrives as its own notification; this command goes unanswered.
        Verbose(FormatResource(IDS_STATION_COMMAND_SILENT, client.name, Printable(command), 0u));
        return;
    }
    switch (rule.effect) {
    case LineCommand::Effect::EnterBootLoader:
        BeginLease(id, LineLease::BootLoader);
        if (!client.pending.isEmpty()) {
            const QByteArray rest = client.pending;
            client.pending.clear();
            WriteRaw(rest);
        }
        break;
    case LineCommand::Effect::PowerOff:
        if (m_lease == LineLease::None)
            BeginLease(id, LineLease::PowerCycle);
        break;
    case LineCommand::Effect::PowerOn:
    case LineCommand::Effect::PowerQuery:
        if (m_holder == id && m_lease == LineLease::PowerCycle)
            EndLease();
        break;
    case LineCommand::Effect::Speed:
        // The amplifier takes the new speed once the command is out; the line follows it, so
        // that every client goes on at the speed it now answers at.
        m_port->Settle(50);
        if (m_port->SetSpeed(rule.speed)) {
            m_lastSpeed = rule.speed;
            Log(FormatResource(IDS_STATION_SPEED_FOLLOWS, client.name, rule.speed));
        }
        break;
    case LineCommand::Effect::EraseMemory:
        Log(FormatResource(IDS_STATION_ERASE, client.name));
        break;
    case LineCommand::Effect::None:
        break;
    }
    if (!rule.answered) {
        Verbose(FormatResource(IDS_STATION_COMMAND_UNANSWERED, client.name, Printable(command)));
        m_turn = id;
        ++m_turnLength;
        return;
    }
    m_waiting = true;
    m_waitStart = m_host.TickCount();
    m_asker = id;
    m_command = command;
    m_turn = 0;
    const DWORD waitMs = rule.waitMs;
    m_answerTimer = m_host.StartTimer(waitMs, [this, waitMs]() {
        m_answerTimer = 0;
        auto it = m_clients.find(m_asker);
        if (it != m_clients.end())
            Verbose(FormatResource(IDS_STATION_COMMAND_SILENT, it->second.name, Printable(m_command), waitMs));
        // Part of an answer is still the asker's: its own time-out decides what it is worth.
        const ClientId asker = m_asker;
        FinishCommand();
        if (!m_received.isEmpty())
            Deliver(asker, std::exchange(m_received, {}));
        Pump();
    });
}

void CLineArbiter::FinishCommand()
{
    if (m_answerTimer) {
        m_host.StopTimer(m_answerTimer);
        m_answerTimer = 0;
    }
    m_waiting = false;
    m_asker = 0;
    m_command.clear();
}

void CLineArbiter::OnPortReadable()
{
    if (!m_port)
        return;
    BYTE buffer[1024];
    DWORD n = 0;
    while (m_port && m_port->Read(buffer, sizeof buffer, &n) && n > 0)
        m_received.append(reinterpret_cast<const char*>(buffer), static_cast<qsizetype>(n));
    if (m_received.isEmpty())
        return;
    if (m_holder != 0 && m_lease == LineLease::BootLoader) {
        Deliver(m_holder, std::exchange(m_received, {}));
        return;
    }
    if (!m_waiting) {
        // Nobody waits: an answer to an unanswered command after all, or one that came after
        // its time. It can only be for whoever spoke last.
        Deliver(m_lastAsker, std::exchange(m_received, {}));
        return;
    }
    const qsizetype end = m_received.indexOf(';');
    if (end < 0)
        return;
    // What follows the ";" came before the next command was sent: the same asker's too.
    const ClientId asker = m_asker;
    const QByteArray answer = std::exchange(m_received, {});
    auto it = m_clients.find(asker);
    if (it != m_clients.end())
        Verbose(FormatResource(
            IDS_STATION_COMMAND_ANSWERED, it->second.name, Printable(m_command), Printable(answer.left(end + 1))));
    m_lastAsker = asker;
    FinishCommand();
    Deliver(asker, answer);
    Pump();
}

void CLineArbiter::Deliver(ClientId id, const QByteArray& bytes)
{
    auto it = m_clients.find(id);
    if (it != m_clients.end() && it->second.sink && !bytes.isEmpty())
        it->second.sink->OnLineData(bytes);
}

void CLineArbiter::WriteRaw(const QByteArray& bytes)
{
    if (m_port && !bytes.isEmpty())
        m_port->WriteBytes(reinterpret_cast<const BYTE*>(bytes.constData()), static_cast<DWORD>(bytes.size()));
}

void CLineArbiter::BeginLease(ClientId id, LineLease lease)
{
    // A power cycle's holder that goes on to load firmware keeps the line for the load.
    if (m_leaseTimer) {
        m_host.StopTimer(m_leaseTimer);
        m_leaseTimer = 0;
    }
    m_lease = lease;
    m_holder = id;
    m_turn = 0;
    const QString& name = m_clients[id].name;
    if (lease == LineLease::BootLoader) {
        Log(FormatResource(IDS_STATION_LEASE_FIRMWARE, name));
    } else {
        Log(FormatResource(IDS_STATION_LEASE_POWER, name));
        m_leaseTimer = m_host.StartTimer(kPowerCycleLimitMs, [this]() {
            m_leaseTimer = 0;
            auto it = m_clients.find(m_holder);
            Log(FormatResource(IDS_STATION_POWER_CYCLE_TOO_LONG, it != m_clients.end() ? it->second.name : QString(),
                kPowerCycleLimitMs / 1000));
            EndLease();
        });
    }
    // What the others had waiting was sent before the lease and is now out of date.
    for (auto& [other, client] : m_clients) {
        if (other == id)
            continue;
        client.pending.remove(0, client.pending.lastIndexOf(';') + 1);
        if (client.sink)
            client.sink->OnLineBusy(lease);
    }
}

void CLineArbiter::EndLease()
{
    if (m_lease == LineLease::None)
        return;
    const LineLease lease = m_lease;
    m_lease = LineLease::None;
    m_holder = 0;
    if (m_leaseTimer) {
        m_host.StopTimer(m_leaseTimer);
        m_leaseTimer = 0;
    }
    Log(ResourceString(IDS_STATION_LEASE_ENDED));
    for (auto& [id, client] : m_clients)
        if (client.sink)
            client.sink->OnLineBusy(LineLease::None);
    if (lease == LineLease::BootLoader) {
        m_bootLoader = false;
        m_received.clear();
        if (m_bootLeaseEnded)
            m_bootLeaseEnded();
    }
    Pump();
}
