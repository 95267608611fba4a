#pragma once
#include "model/EventHost.h"
#include "station/ArbiterClient.h"
#include "station/LineCommand.h"
#include <QString>
#include <functional>
#include <map>
#include <vector>

class ISerialPort;

// The one owner of the amplifier's line between every client of the station server. The
// amplifier answers one command at a time and its answers carry no address, so the arbiter
// sends one command (everything up to its ";") at a time and gives the answer (the text up to
// the next ";") to the client that sent it; a command it knows to be unanswered is done once
// written. Clients take turns, one answered command per turn; the unanswered commands written
// before it in the same turn go with it (a setting and the query that reads it back, an erase
// and the revision query that tells it is done).
//
// Exclusive use is a lease: a client that sends "^ld;" (or talks to a boot loader that is
// waiting) has the raw line to itself until it leaves; a client that sends "^on0;" has it
// until its "^on1;" (or its "^on;", which shows a plain switch rather than a power cycle), its
// leaving, or kPowerCycleLimitMs. Meanwhile the other clients' commands are dropped unanswered,
// as by a silent amplifier, and they are told why.
class CLineArbiter {
public:
    using ClientId = std::uint32_t;
    // Bytes of one client that may wait for their turn; a client that sends more is flooding.
    static constexpr qsizetype kMaxPending = 8192;
    // Unanswered commands one turn may carry before the next client's turn: enough for a
    // settings sheet's writes, too few for a client to keep the line from the others.
    static constexpr int kMaxTurnLength = 8;
    // A restore's power cycle finds the speed and identifies the amplifier in well under this.
    static constexpr DWORD kPowerCycleLimitMs = 30000;
    // The asker repeating its command this long after it went out has given up on the answer
    // (no client asks again sooner); a repetition sooner is a flood, and waits its turn.
    static constexpr DWORD kRepeatAfterMs = 100;

    explicit CLineArbiter(IEventHost& host);
    ~CLineArbiter();
    CLineArbiter(const CLineArbiter&) = delete;
    CLineArbiter& operator=(const CLineArbiter&) = delete;

    // Log lines (always) and verbose lines (every command, only when asked for).
    void SetLog(std::function<void(const QString&)> log, bool verbose);
    // Called when a firmware load's lease ends: the amplifier may be anywhere (boot loader,
    // another speed), so the owner makes contact again before attaching the port anew.
    void SetBootLeaseEnded(std::function<void()> ended) { m_bootLeaseEnded = std::move(ended); }

    // The open port with the amplifier in contact (in its boot loader when `bootLoader`), or
    // none: without a port every command goes unanswered.
    void AttachPort(ISerialPort* port, bool bootLoader);
    void DetachPort();
    bool HasPort() const { return m_port != nullptr; }
    void OnPortReadable();

    ClientId AddClient(IArbiterClient* client, const QString& name);
    void RemoveClient(ClientId id);
    // A client's bytes, in the order sent. False when it has more waiting than kMaxPending
    // (the caller cuts it off).
    bool Submit(ClientId id, QByteArrayView bytes);
    // A client asks for a line speed: only the holder of a firmware load's lease changes it;
    // everyone is answered with the speed in force.
    DWORD RequestSpeed(ClientId id, DWORD bitsPerSecond);
    DWORD LineSpeed() const;

    LineLease Lease() const { return m_lease; }
    ClientId LeaseHolder() const { return m_holder; }
    // The lease another client holds; None when the line is free or the lease is this client's.
    LineLease BusyFor(ClientId id) const { return m_holder != 0 && m_holder != id ? m_lease : LineLease::None; }

private:
    struct Client {
        IArbiterClient* sink = nullptr;
        QString name;
        QByteArray pending;
        bool afterErase = false;
    };

    void Pump();
    ClientId PickNext();
    bool Ready(ClientId id, const Client& client) const;
    bool TalksToBootLoader(const Client& client) const;
    void SendNext(ClientId id, Client& client);
    void FinishCommand();
    void BeginLease(ClientId id, LineLease lease);
    void EndLease();
    void WriteRaw(const QByteArray& bytes);
    void Deliver(ClientId id, const QByteArray& bytes);
    void Log(const QString& text);
    void Verbose(const QString& text);

    IEventHost& m_host;
    ISerialPort* m_port = nullptr;
    bool m_bootLoader = false;
    DWORD m_lastSpeed = 0;
    std::map<ClientId, Client> m_clients;
    std::vector<ClientId> m_order; // connection order, for turns
    std::size_t m_cursor = 0;
    ClientId m_nextId = 1;
    // The turn in progress after an unanswered command: its client goes on while it has more.
    ClientId m_turn = 0;
    int m_turnLength = 0;

    // The command on the line.
    bool m_waiting = false;
    DWORD m_waitStart = 0;
    ClientId m_asker = 0;
    QByteArray m_command;
    IEventHost::TimerHandle m_answerTimer = 0;
    QByteArray m_received;
    // Whoever sent the last command gets what the amplifier says when nobody waits.
    ClientId m_lastAsker = 0;
    bool m_pumping = false;

    LineLease m_lease = LineLease::None;
    ClientId m_holder = 0;
    IEventHost::TimerHandle m_leaseTimer = 0;

    std::function<void(const QString&)> m_log;
    bool m_verbose = false;
    std::function<void()> m_bootLeaseEnded;
};
