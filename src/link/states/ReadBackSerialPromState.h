#pragma once
#include "link/states/BlockExchangeState.h"
#include <cstring>

// Reads back `total` bytes at `start` of the amplifier's EEPROM and compares them with
// `source`, which was written there. A block that differs is written again ("^ew") and read
// back again, within the block's tries; a block that still differs when they are spent fails
// the machine with 0xE200007C.
//
// Why: a write command whose two damaged characters cancel out in its check byte is taken by
// the amplifier and acknowledged, wrong. Damage on the way to the amplifier otherwise shows as
// silence (it ignores a command whose check byte does not match), so a write loop that has
// seen silence or damage has been on a line that can do this; only reading back shows it.
template <class SM> class CReadBackSerialPromState : public CBlockExchangeState<SM> {
public:
    CReadBackSerialPromState(SM* host, const char* name, CState<SM>* next, DWORD timeout, DWORD readErrorCode,
        DWORD writeErrorCode, DWORD start = 0, DWORD total = 0, const BYTE* source = nullptr)
        : CBlockExchangeState<SM>(host, name, next, timeout, QByteArray(), readErrorCode)
        , m_startAddress(start)
        , m_totalLength(total)
        , m_source(source)
        , m_writeErrorCode(writeErrorCode)
    {
    }

    void Enter() override
    {
        m_offsetDone = 0;
        NextBlock();
    }
    bool ProcessResponse() override
    {
        const QByteArray& answer = this->m_host->m_received;
        if (m_writing)
            return Eeprom::IsWriteAcknowledged(this->m_command, answer);
        return Eeprom::ParseReadAnswer(this->m_command, answer, m_blockLength, m_readBack) == m_blockLength;
    }
    void Accept() override
    {
        SM* host = this->m_host;
        CModel* model = host->Model();
        model->m_progressPosition.Set(model->m_progressPosition.m_value + m_blockLength);
        ++host->m_link.m_readBackBlocks;
        m_offsetDone += m_blockLength;
        NextBlock();
    }

    DWORD m_startAddress;
    DWORD m_totalLength;
    const BYTE* m_source;
    DWORD m_offsetDone = 0;
    BYTE m_blockLength = 0;

protected:
    bool Confirmed() override
    {
        SM* host = this->m_host;
        const DWORD address = m_startAddress + m_offsetDone;
        const BYTE* expected = m_source + m_offsetDone;
        if (m_writing) {
            // Written again: read it back again.
            m_writing = false;
            this->m_command = Eeprom::BuildReadCommand(address, m_blockLength);
            this->SendAgain(0);
            return false;
        }
        if (std::memcmp(m_readBack, expected, m_blockLength) == 0)
            return true;
        if (!m_differed) {
            m_differed = true;
            ++host->m_link.m_rewrittenBlocks;
        }
        m_writing = true;
        this->m_command = Eeprom::BuildWriteCommand(address, m_blockLength, expected);
        this->SendAgain(IDS_LINK_RETRY_DIFFERS);
        return false;
    }
    DWORD ExhaustedCode() const override
    {
        if (m_writing)
            return m_writeErrorCode;
        return m_differed ? Result::ReadBackDiffers : this->m_errorCode;
    }

    void NextBlock()
    {
        m_writing = false;
        m_differed = false;
        const DWORD address = m_startAddress + m_offsetDone;
        const DWORD remaining = m_totalLength - m_offsetDone;
        if (remaining == 0) {
            this->Advance();
            return;
        }
        m_blockLength = static_cast<BYTE>(Eeprom::NextBlockLength(address, remaining));
        if (!Eeprom::IsWritableBlock(address, m_blockLength)) {
            this->Fail(Result::InvalidEepromAddress);
            return;
        }
        this->m_command = Eeprom::BuildReadCommand(address, m_blockLength);
        this->Send();
    }

    DWORD m_writeErrorCode;
    bool m_writing = false; // the block's write was sent again; its acknowledgement is awaited
    bool m_differed = false; // this block has been written again
    BYTE m_readBack[Eeprom::kMaxBlock] = {};
};
