#pragma once
#include "link/states/BlockExchangeState.h"
#include <QByteArrayList>

// Reads `total` bytes from `start` of the amplifier's EEPROM into `destination`, one checked
// block at a time. Each accepted block moves the model's progress position. The 10 tries of
// the retry limit are shared by all blocks of one visit.
//
// An 8-bit sum guards each answer, and two damaged characters that cancel out (+1 here, -1
// there) pass it: nothing in a single answer tells such a pair from the amplifier's own bytes,
// and a save that took one would keep a wrong configuration as the amplifier's. So a block is
// taken only when two readings agree: every block is read twice, and again while the readings
// differ. The planned second reading is not a retry and takes none of the block's tries; a
// reading that differs does. This doubles the time of a read on a clean line.
template <class SM>
class CReadSerialPromState : public CBlockExchangeState<SM> {
public:
    CReadSerialPromState(SM* host, const char* name, CState<SM>* next, DWORD timeout, DWORD errorCode, DWORD start,
                         DWORD total, BYTE* destination)
        : CBlockExchangeState<SM>(host, name, next, timeout, QByteArray(), errorCode),
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
    // This block's readings so far, until two agree.
    QByteArrayList m_readings;

protected:
    bool Confirmed() override
    {
        const QByteArray reading(reinterpret_cast<const char*>(m_destination + m_offsetDone), m_blockLength);
        if (m_readings.contains(reading)) {
            if (m_readings.size() > 1)
                ++this->m_host->m_link.m_differingBlocks;
            m_readings.clear();
            return true;
        }
        m_readings.append(reading);
        if (m_readings.size() == 1)
            this->SendSecondReading();
        else
            this->SendAgain(IDS_LINK_RETRY_DISAGREE);
        return false;
    }
    DWORD ExhaustedCode() const override
    {
        return m_readings.size() > 1 ? Result::ReadingsDisagree : this->m_errorCode;
    }

    void NextBlock()
    {
        m_readings.clear();
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
