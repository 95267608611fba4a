#pragma once
#include "link/CommandResponseRetryState.h"
#include "link/EepromBlock.h"

// Reads `total` bytes from `start` of the amplifier's EEPROM into `destination`, one checked
// block at a time. Each accepted block moves the model's progress position. The 10 time-outs
// of the retry limit are shared by all blocks of one visit.
template <class SM>
class CReadSerialPromState : public CCommandResponseRetryState<SM> {
public:
    CReadSerialPromState(SM* host, const char* name, CState<SM>* next, DWORD timeout, DWORD errorCode, DWORD start,
                         DWORD total, BYTE* destination)
        : CCommandResponseRetryState<SM>(host, name, next, timeout, QByteArray(), errorCode),
          m_startAddress(start),
          m_totalLength(total),
          m_destination(destination)
    {
    }

    void Enter() override
    {
        m_offsetDone = 0;
        NextBlock();
    }
    bool ProcessResponse() override
    {
        return Eeprom::ParseReadAnswer(this->m_command, this->m_host->m_received, m_blockLength,
                                       m_destination + m_offsetDone) >= 0;
    }
    void Accept() override
    {
        BlockDone();
        NextBlock();
    }
    virtual void BlockDone()
    {
        CModel* model = this->m_host->Model();
        model->m_progressPosition.Set(model->m_progressPosition.m_value + m_blockLength);
        m_offsetDone += m_blockLength;
    }

    DWORD m_startAddress;
    BYTE m_blockLength = 0;
    DWORD m_totalLength;
    DWORD m_offsetDone = 0;
    BYTE* m_destination;

protected:
    void NextBlock()
    {
        const DWORD address = m_startAddress + m_offsetDone;
        const DWORD remaining = m_totalLength - m_offsetDone;
        if (remaining == 0) {
            this->Advance();
            return;
        }
        m_blockLength = static_cast<BYTE>(Eeprom::NextBlockLength(address, remaining));
        if (address + m_blockLength > Eeprom::kSize) {
            this->Fail(Result::InvalidEepromAddress);
            return;
        }
        this->m_command = Eeprom::BuildReadCommand(address, m_blockLength);
        this->Send();
    }
};
