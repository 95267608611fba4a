#pragma once
#include "link/states/WriteSerialPromState.h"

// Writes the record of the current loop pass, at most 64 bytes per "^ew". Each block has its
// own 10 sends, for the reason the save's read loop gives; writing a block again after a lost
// acknowledgement stores the same bytes again, so a resend is harmless.
template <class SM> class CConfigRestoreSerialPromLoopBodyState : public CWriteSerialPromState<SM> {
public:
    CConfigRestoreSerialPromLoopBodyState(SM* host, const char* name, CState<SM>* next, DWORD timeout, DWORD errorCode)
        : CWriteSerialPromState<SM>(host, name, next, timeout, errorCode)
    {
    }
    void Enter() override
    {
        const auto& record = this->m_host->Record(this->m_host->m_loopVariable);
        this->m_startAddress = record.address;
        this->m_totalLength = record.length;
        this->m_source = record.data;
        CWriteSerialPromState<SM>::Enter();
    }
    void Accept() override
    {
        this->m_retryCount = 0;
        CWriteSerialPromState<SM>::Accept();
    }
};
