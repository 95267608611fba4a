#include "link/AnswerPace.h"
#include <algorithm>

void CAnswerPace::AddAnswer(DWORD ms)
{
    m_samples[m_next] = ms;
    m_next = (m_next + 1) % kWindow;
    m_count = std::min(m_count + 1, kWindow);
}

DWORD CAnswerPace::Slowest() const
{
    DWORD slowest = 0;
    for (unsigned i = 0; i < m_count; ++i)
        slowest = std::max(slowest, m_samples[i]);
    return slowest;
}

DWORD CAnswerPace::Wait(DWORD timeoutMs, DWORD silentTries) const
{
    if (m_count < kMinSamples)
        return timeoutMs;
    std::uint64_t wait = std::max<std::uint64_t>(m_floorMs, std::uint64_t {kMultiple} * Slowest());
    for (DWORD i = 0; i < silentTries && wait < timeoutMs; ++i)
        wait *= 2;
    return static_cast<DWORD>(std::min<std::uint64_t>(wait, timeoutMs));
}

void CAnswerPace::Reset()
{
    m_count = 0;
    m_next = 0;
}
