#pragma once
#include "model/EventHost.h"
#include "model/EventSink.h"
#include "operate/OperateKeys.h"
#include "operate/OperateSnapshot.h"
#include <QString>
#include <functional>
#include <map>
#include <memory>
#include <vector>

class CArbiterPort;
class CLineArbiter;
class CModel;
class COperatePoller;

// The station server's own view of the amplifier, the one source of readings for every
// endpoint (Hamlib, browsers, MQTT, band following): a model of its own whose port is the
// shared line (a client of the arbiter like any other), polled by the operate machine every
// interval. Endpoints read the last cycle's readings without traffic of their own and ask for
// keys and the power switch here, so that the amplifier sees one conversation however many
// clients there are.
class CStationPoll : public IEventSink {
public:
    enum class Link {
        Searching, // no cycle has answered yet
        InContact, // the last cycle answered
        Lost, // cycles answered before, the last one did not
        Busy, // another program has the line to itself (a firmware load, a power cycle)
    };
    // Cycles that fail in a row before a request is given up with the last cycle's result.
    static constexpr int kRequestAttempts = 3;

    CStationPoll(IEventHost& host, CLineArbiter& arbiter, DWORD intervalMs);
    ~CStationPoll();
    CStationPoll(const CStationPoll&) = delete;
    CStationPoll& operator=(const CStationPoll&) = delete;

    void Start();
    void Stop();

    DWORD Interval() const { return m_interval; }
    Link State() const;
    // "in contact", "searching for the amplifier", "amplifier lost", "busy: …", for the
    // endpoints that show the state.
    QString StateText() const;
    // The last cycle's readings, current or not (see Fresh).
    const OperateSnapshot& Readings() const { return m_readings; }
    // Whether the readings are current: the link is in contact and the cycle that read them
    // ended within two poll intervals (two cycles, when a cycle takes longer than an interval).
    bool Fresh() const;
    std::uint64_t FreshLimitMs() const;
    // The amplifier's identity as the last contact found it (0 / kNoSerialNumber unknown).
    unsigned SerialNumber() const;
    unsigned FirmwareRevision() const;

    // Called after every poll cycle, answered or not, and when the state changes.
    int Subscribe(std::function<void()> changed);
    void Unsubscribe(int id);

    // Requests, sent in the next cycle. `done` is called once with 0 when the key went out, or
    // the power reads back as asked; with Result::AmplifierOff when keys find the amplifier
    // switched off (nothing is sent), Result::RequestNotTaken when the power does not read
    // back as asked, or the failing cycle's result after kRequestAttempts failed cycles.
    void PressKey(OperateKey key, std::function<void(DWORD)> done);
    // Band 0 to 10 by the band key; the 28 MHz band (9) has no known key and fails at once with
    // Result::RequestNotTaken.
    void SelectBand(int band, std::function<void(DWORD)> done);
    void SetPower(bool on, std::function<void(DWORD)> done);
    // Takes back a band request whose key has not gone out yet (the radio keyed up meanwhile):
    // its `done` gets Result::Cancelled. A key already on the line cannot be taken back.
    void WithdrawBand();

    // The poll model, for the tests and whoever needs more than the readings.
    CModel& Model() { return *m_model; }

    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;

private:
    struct Request {
        enum class Kind { Key, Band, Power } kind = Kind::Key;
        OperateKey key = OperateKey::Count;
        int band = 0;
        bool on = false;
        std::function<void(DWORD)> done;
        bool sent = false; // went out in a cycle (power: waits for the cycle after)
        int failures = 0;
        int answeredCycles = 0; // power: cycles answered since it went out
    };

    void CycleEnded(DWORD result);
    void TakeReadings();
    void Submit(Request request);
    void SubmitPending();
    void Settle(DWORD result);
    void Tell();

    IEventHost& m_host;
    CLineArbiter& m_arbiter;
    DWORD m_interval;
    std::unique_ptr<CModel> m_model;
    std::unique_ptr<COperatePoller> m_poller;
    CArbiterPort* m_port = nullptr; // owned by the model
    OperateSnapshot m_readings;
    bool m_everAnswered = false;
    bool m_lastAnswered = false;
    std::uint64_t m_cycleStart = 0;
    std::uint64_t m_lastCycleMs = 0;
    bool m_started = false;
    std::vector<Request> m_requests;
    std::map<int, std::function<void()>> m_listeners;
    int m_nextListener = 1;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
