#include "sim/SimLine.h"
#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

CSimLine::CSimLine(IEventHost& host, bool byteByByte, Sink sink)
    : m_host(host)
    , m_byteByByte(byteByByte)
    , m_sink(std::move(sink))
{
}

CSimLine::~CSimLine()
{
    if (m_timerRunning)
        m_host.StopTimer(m_timer);
}

std::uint64_t CSimLine::ByteEndUs(const Chunk& c, qsizetype index)
{
    // Rounded up: a byte is complete only when its stop bit has been sent.
    const std::uint64_t bits = static_cast<std::uint64_t>(index + 1) * 10 * 1000000;
    return c.startUs + (bits + c.speed - 1) / c.speed;
}

void CSimLine::Push(const QByteArray& bytes, DWORD speed, bool pace, std::uint64_t earliestUs)
{
    if (bytes.isEmpty())
        return;
    if (!pace || speed == 0) {
        m_sink(bytes, speed, m_host.MicroTicks());
        return;
    }
    const std::uint64_t start = std::max(earliestUs ? earliestUs : m_host.MicroTicks(), m_freeAtUs);
    m_chunks.push_back({bytes, speed, start});
    m_freeAtUs = ByteEndUs(m_chunks.back(), bytes.size() - 1);
    Schedule();
}

void CSimLine::Schedule()
{
    if (m_timerRunning || m_chunks.empty())
        return;
    const Chunk& c = m_chunks.front();
    const std::uint64_t due = ByteEndUs(c, c.done);
    const std::uint64_t now = m_host.MicroTicks();
    // Timers count whole milliseconds: wake at the first tick past the next byte and hand over
    // everything complete by then. On a clock finer than that, the chunk's last byte (the end
    // of an answer or a command, which the far side waits for) is not left to the next tick:
    // wake at the tick before it and sleep out the rest, so that the line keeps its bit rate
    // without losing up to a millisecond at every answer, and without spinning either.
    const std::uint64_t waitUs = due <= now ? 0 : due - now;
    DWORD ms = static_cast<DWORD>((waitUs + 999) / 1000);
    m_sleepUntilUs = 0;
    const std::uint64_t lastUs = ByteEndUs(c, c.bytes.size() - 1);
    if (m_host.HasFineClock() && lastUs < now + ms * 1000ull) {
        ms = static_cast<DWORD>((lastUs - std::min(lastUs, now)) / 1000);
        m_sleepUntilUs = lastUs;
    }
    m_timerRunning = true;
    m_timer = m_host.StartTimer(ms, [this]() {
        m_timerRunning = false;
        const std::uint64_t now = m_host.MicroTicks();
        if (m_sleepUntilUs > now)
            std::this_thread::sleep_for(std::chrono::microseconds(m_sleepUntilUs - now));
        Drain(std::max(m_sleepUntilUs, m_host.MicroTicks()));
        Schedule();
    });
}

void CSimLine::Drain(std::uint64_t now)
{
    while (!m_chunks.empty()) {
        Chunk& c = m_chunks.front();
        qsizetype end = c.done;
        while (end < c.bytes.size() && ByteEndUs(c, end) <= now)
            ++end;
        if (end == c.done)
            break;
        const QByteArray part = c.bytes.mid(c.done, end - c.done);
        const DWORD speed = c.speed;
        std::vector<std::uint64_t> ends;
        for (qsizetype i = c.done; i < end; ++i)
            ends.push_back(ByteEndUs(c, i));
        c.done = end;
        if (c.done == c.bytes.size())
            m_chunks.pop_front();
        // `c` may be gone now, and the sink may push onto the other line.
        if (!m_byteByByte) {
            m_sink(part, speed, ends.back());
            continue;
        }
        for (qsizetype i = 0; i < part.size(); ++i)
            m_sink(part.mid(i, 1), speed, ends[static_cast<size_t>(i)]);
    }
}
