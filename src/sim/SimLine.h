#pragma once
#include "model/EventHost.h"
#include <QByteArray>
#include <cstdint>
#include <deque>
#include <functional>

// One direction of the simulated serial line. Bytes leave in order; paced, each one takes 10 bit
// times at the speed it was sent at, measured from the moment the line was free, so that a late
// timer never stretches the schedule. Unpaced, they arrive at once.
class CSimLine {
public:
    // Takes bytes as they are complete on the far end: their speed, and when the last of them was
    // complete. With `byteByByte` a paced line hands over one byte at a time (the amplifier reads
    // each at its own moment); otherwise whatever has arrived since the last turn.
    using Sink = std::function<void(const QByteArray& bytes, DWORD speed, std::uint64_t endUs)>;
    CSimLine(IEventHost& host, bool byteByByte, Sink sink);
    ~CSimLine();
    CSimLine(const CSimLine&) = delete;
    CSimLine& operator=(const CSimLine&) = delete;

    // `earliestUs`: when the first byte may start, if not now (an answer starts a set time after
    // the command's last byte, not after the timer tick that noticed it).
    void Push(const QByteArray& bytes, DWORD speed, bool pace, std::uint64_t earliestUs = 0);
    // Drops what has not arrived yet (the power failed).
    void Clear() { m_chunks.clear(); }

private:
    struct Chunk {
        QByteArray bytes;
        DWORD speed;
        std::uint64_t startUs;
        qsizetype done = 0;
    };
    static std::uint64_t ByteEndUs(const Chunk& c, qsizetype index);
    void Schedule();
    // Hands over every byte complete at `now`.
    void Drain(std::uint64_t now);

    IEventHost& m_host;
    const bool m_byteByByte;
    Sink m_sink;
    std::deque<Chunk> m_chunks;
    std::uint64_t m_freeAtUs = 0;
    bool m_timerRunning = false;
    // When the running timer was set to wake early: the moment it sleeps until.
    std::uint64_t m_sleepUntilUs = 0;
    IEventHost::TimerHandle m_timer = 0;
};
