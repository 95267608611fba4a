#pragma once
#include "link/states/BlockExchangeState.h"

// Writes `total` bytes from `source` to the amplifier's EEPROM at `start`, one acknowledged
// block at a time. A block outside the writable regions fails the machine with 0xE200000C
// before anything is sent.
template <class SM>
class CWriteSerialPromState : public CBlockExchangeState<SM> {
public:
    CWriteSerialPromState(SM* host, const char* name, CState<SM>* next, DWORD timeout, DWORD errorCode, DWORD start = 0,
                          DWORD total = 0, const BYTE* source = nullptr)
        : CBlockExchangeState<SM>(host, name, next, timeout, QByteArray(), errorCode),
          m_totalLength(total),
          m_source(source),
          m_startAddress(start)
    {
    }

    void Enter() override
    {
        m_offsetDone = 0;
        NextBlock();
    }
    bool ProcessResponse() override { return Eeprom::IsWriteAcknowledged(this->m_command, this->m_host->m_received); }
    void Accept() override
    {
        BlockDone();
        NextBlock();
    }
    // Every block is written: leave the state.
    virtual void Finished() { this->GoToNext(); }
    virtual void BlockDone()
    {
        CModel* model = this->m_host->Model();
        model->m_progressPosition.Set(model->m_progressPosition.m_value + m_blockLength);
        m_offsetDone += m_blockLength;
    }

    BYTE m_blockLength = 0;
    DWORD m_totalLength;
    DWORD m_offsetDone = 0;
    const BYTE* m_source;
    DWORD m_startAddress;

protected:
    void NextBlock()
    {
        const DWORD address = m_startAddress + m_offsetDone;
        const DWORD remaining = m_totalLength - m_offsetDone;
        if (remaining == 0) {
            Finished();
            return;
        }
        m_blockLength = static_cast<BYTE>(Eeprom::NextBlockLength(address, remaining));
        if (!Eeprom::IsWritableBlock(address, m_blockLength)) {
            this->Fail(Result::InvalidEepromAddress);
            return;
        }
        this->m_command = Eeprom::BuildWriteCommand(address, m_blockLength, m_source + m_offsetDone);
        this->Send();
    }
};
