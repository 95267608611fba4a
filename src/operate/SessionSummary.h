#pragma once
// What a session at the amplifier came to, from the poll cycles' readings: how long it lasted,
// the time in operate and on the air, the peaks, and the faults the amplifier showed. The
// command line prints it as a monitor ends, the Operate page shows it on request.
#include "operate/OperateSnapshot.h"
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

class CSessionSummary {
public:
    // Forward power from which the amplifier counts as transmitting.
    static constexpr unsigned kTransmitWatts = 10;
    // Faults listed at most: an amplifier tripping all night must not fill the memory.
    static constexpr std::size_t kMaxListedFaults = 1000;

    struct Fault {
        QDateTime at;
        unsigned code = 0;
    };

    // The session begins, or goes on after a pause: its time counts from here.
    void Start(const QDateTime& at, std::uint64_t tick);
    // The time until the next Start is not part of the session (nothing is read then).
    void Pause(const QDateTime& at, std::uint64_t tick);
    bool IsRunning() const { return m_running; }

    // One poll cycle's readings. A cycle's states count for the time since the cycle before it;
    // the first cycle after a Start only marks where the counting begins, and a reading the
    // cycle did not bring counts for nothing.
    void Add(const OperateSnapshot& snapshot);

    // Up to `tick` (the event host's clock) when the session is running.
    std::uint64_t DurationMs(std::uint64_t tick) const;
    std::uint64_t OperateMs() const { return m_operateMs; }
    std::uint64_t TransmitMs() const { return m_transmitMs; }
    unsigned Cycles() const { return m_cycles; }
    std::optional<unsigned> PeakForwardW() const { return m_peakForwardW; }
    std::optional<unsigned> MaxSwrTenths() const { return m_maxSwrTenths; }
    std::optional<int> MaxSwrBand() const { return m_maxSwrBand; }
    std::optional<unsigned> MaxTemperatureC() const { return m_maxTemperatureC; }
    const std::vector<Fault>& Faults() const { return m_faults; }
    unsigned FaultsNotListed() const { return m_faultsNotListed; }

    // For a person: a heading and one line per figure, "\n" between them.
    QString Text(std::uint64_t tick) const;
    // For a program: one JSON object, keys in snake_case with their units; null for a figure
    // nothing was read for.
    QByteArray Json(const QDateTime& at, std::uint64_t tick) const;

private:
    bool m_running = false;
    QDateTime m_startedAt;
    std::uint64_t m_since = 0; // the tick of the last Start
    std::uint64_t m_pastMs = 0; // the time of the stretches before it
    std::optional<std::uint64_t> m_lastCycle; // the tick of the last cycle since the Start
    unsigned m_cycles = 0;
    std::uint64_t m_operateMs = 0;
    std::uint64_t m_transmitMs = 0;
    std::optional<unsigned> m_peakForwardW;
    std::optional<unsigned> m_maxSwrTenths;
    std::optional<int> m_maxSwrBand;
    std::optional<unsigned> m_maxTemperatureC;
    std::optional<unsigned> m_lastFault; // the last fault code read: a fault is listed once
    std::vector<Fault> m_faults;
    unsigned m_faultsNotListed = 0;
};
