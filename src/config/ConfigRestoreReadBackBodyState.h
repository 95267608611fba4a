#pragma once
#include "link/states/ReadBackSerialPromState.h"

// Reads back the record of the current loop pass and writes it again if it differs. Each
// block has its own 10 tries, as in the write loop.
template <class SM> class CConfigRestoreReadBackBodyState : public CReadBackSerialPromState<SM> {
public:
    CConfigRestoreReadBackBodyState(
        SM* host, const char* name, CState<SM>* next, DWORD timeout, DWORD readErrorCode, DWORD writeErrorCode)
        : CReadBackSerialPromState<SM>(host, name, next, timeout, readErrorCode, writeErrorCode)
    {
    }
    void Enter() override
    {
        const auto& record = this->m_host->Record(this->m_host->m_loopVariable);
        this->m_startAddress = record.address;
        this->m_totalLength = record.length;
        this->m_source = record.data;
        CReadBackSerialPromState<SM>::Enter();
    }
    void Accept() override
    {
        this->m_retryCount = 0;
        CReadBackSerialPromState<SM>::Accept();
    }
};
