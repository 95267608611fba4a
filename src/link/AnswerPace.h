#pragma once
#include "model/Types.h"
#include <array>

// How long to wait for an answer before taking it for lost, learnt from the answers one
// conversation has had.
//
// The fixed time-outs are sized for the slowest line and the slowest amplifier: 4000 ms for a
// block whose answer takes 14 ms at 115200 bit/s. On a line where RF or a tired USB adapter
// loses one answer in twenty, waiting them out costs more than the exchanges themselves. Here
// the wait is a few times the slowest of the recent answers, but never below a floor that
// absorbs the computer's own delays (scheduling, USB latency), never above the fixed time-out,
// and the fixed time-out itself until a few answers have been timed. A block asked again too
// early is harmless (the same bytes to the same address); its first answer, when it comes
// late, is told from the next block's by its address.
class CAnswerPace {
public:
    static constexpr DWORD kDefaultFloorMs = 100;
    static constexpr DWORD kMultiple = 3;
    static constexpr unsigned kWindow = 16;
    static constexpr unsigned kMinSamples = 3;

    explicit CAnswerPace(DWORD floorMs = kDefaultFloorMs)
        : m_floorMs(floorMs)
    {
    }

    // The time from a send to the end of its answer.
    void AddAnswer(DWORD ms);
    // The wait for an answer, at most `timeoutMs`. Each earlier try of the same exchange that
    // met silence doubles it: answers that have become slow soon get the whole time-out again.
    DWORD Wait(DWORD timeoutMs, DWORD silentTries = 0) const;
    DWORD Slowest() const;
    void Reset();

private:
    std::array<DWORD, kWindow> m_samples {};
    unsigned m_count = 0;
    unsigned m_next = 0;
    DWORD m_floorMs;
};
