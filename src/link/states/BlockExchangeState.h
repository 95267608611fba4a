#pragma once
#include "link/states/CommandResponseRetryState.h"
#include "link/EepromBlock.h"
#include "model/LinkStringIds.h"

// How the EEPROM block states deal with a noisy line (RF from the amplifier itself gets into
// USB serial cables: lost and damaged answers are everyday events, not faults).
//
// - A complete answer (its ";" has come) that fails its checks is a failed try at once: nothing
//   else is coming for that try, so the block is sent again without waiting out the time-out.
// - Silence is taken for a lost answer after the line's own pace (CAnswerPace), never later
//   than the state's time-out.
// - A sound answer to another command, or a fragment without its "^", is a late answer to an
//   earlier try (or its tail, cut by the clearing of the port): it is ignored and the wait
//   goes on. Sending a block again is harmless, the same bytes to the same address, so an
//   answer that was only late costs nothing but the time of the second try.
// Every try sent again counts against the block's tries as a time-out did, moves the progress
// display and is logged with its cause while verbose logging is on.
template <class SM> class CBlockExchangeState : public CCommandResponseRetryState<SM> {
public:
    using CCommandResponseRetryState<SM>::CCommandResponseRetryState;

    void Prepare() override
    {
        CCommandResponseRetryState<SM>::Prepare();
        m_silentTries = 0;
        m_blockSilences = 0;
    }
    void OnResponse() override
    {
        SM* host = this->m_host;
        CLinkQuality& link = host->m_link;
        const QByteArray answer = Eeprom::AnswerStart(host->m_received);
        if (answer.isEmpty())
            return;
        if (Eeprom::IsAnswerToAnotherCommand(this->m_command, answer)) {
            if (link.m_lateAnswers != 0 && Eeprom::Echoes(link.m_lateCommand, answer)) {
                --link.m_lateAnswers;
                --link.m_lost;
            }
            return;
        }
        host->m_received = answer;
        link.m_pace.AddAnswer(host->ElapsedSinceSend());
        host->StopTimer();
        m_silentTries = 0;
        if (!this->ProcessResponse()) {
            ++link.m_damaged;
            SendAgain(IDS_LINK_RETRY_DAMAGED);
            return;
        }
        if (!Confirmed())
            return;
        link.m_lateCommand = this->m_command;
        link.m_lateAnswers = m_blockSilences;
        m_blockSilences = 0;
        this->Accept();
    }
    void OnTimeout() override
    {
        ++this->m_host->m_link.m_lost;
        ++m_silentTries;
        ++m_blockSilences;
        SendAgain(IDS_LINK_RETRY_LOST);
    }
    DWORD AnswerWait() override { return this->m_host->m_link.m_pace.Wait(this->m_timeout, m_silentTries); }

protected:
    // An answer has passed its checks; a state that must see more before it takes the block
    // (a second reading, a read-back) sends that here and answers false.
    virtual bool Confirmed() { return true; }
    // The result when the block has had all its tries.
    virtual DWORD ExhaustedCode() const { return this->m_errorCode; }

    // Sends the block's next try (the command in m_command), or fails when the block has had
    // all its tries. `retryCauseId` names why a try is sent again; 0 for a try that was planned
    // (a second reading), which is neither a retry nor logged.
    void SendAgain(unsigned retryCauseId)
    {
        SM* host = this->m_host;
        if (++this->m_retryCount >= host->m_retryLimit) {
            this->Fail(ExhaustedCode());
            return;
        }
        if (retryCauseId != 0) {
            ++host->m_link.m_retries;
            host->ReportVerbose(
                FormatResource(retryCauseId, BlockAddress(), this->m_retryCount + 1, host->m_retryLimit));
            host->NotifyRetry();
        }
        this->Send();
    }
    // Sends the block's planned second reading: not a retry, and it takes none of the tries.
    void SendSecondReading() { this->Send(); }
    DWORD BlockAddress() const { return this->m_command.mid(3, 8).toUInt(nullptr, 16); }

    // Time-outs of this block in a row (each doubles the next wait), and in all.
    DWORD m_silentTries = 0;
    DWORD m_blockSilences = 0;
};
