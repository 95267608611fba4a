#pragma once
#include "link/AnswerPace.h"

// What the block exchanges of one conversation have shown of the line: how long answers take,
// how many were lost (silence) or damaged (a complete answer that failed its checks), and what
// was done about it. Progress displays show the retries; the EEPROM reads take a block only when
// two readings agree, and the restore reads back what it wrote once it has seen loss or damage
// (damage on the way to the amplifier shows as silence: it refuses a command whose check byte
// does not match).
class CLinkQuality {
public:
    bool SawLossOrDamage() const { return m_lost != 0 || m_damaged != 0; }
    void Reset() { *this = CLinkQuality(); }

    CAnswerPace m_pace;
    DWORD m_lost = 0;
    DWORD m_damaged = 0;
    // Tries sent again, whatever the cause (silence, damage, readings that differ).
    DWORD m_retries = 0;
    // Blocks whose readings differed, read until two agreed; blocks read back after a restore,
    // and those written again because they differed.
    DWORD m_differingBlocks = 0;
    DWORD m_readBackBlocks = 0;
    DWORD m_rewrittenBlocks = 0;
    // The last block taken after silence, and how many of its tries may still answer. An answer
    // that only came late, after the block was sent again, was not lost: when it turns up it is
    // taken off the count of lost answers, so that a busy computer on a clean line does not set
    // off what a lossy line calls for.
    QByteArray m_lateCommand;
    DWORD m_lateAnswers = 0;
};
