#pragma once
#include "config/MemoryRegion.h"
#include "link/states/ReadSerialPromState.h"

// Reads the region of the current loop pass into the machine's image, 64 bytes per "^er".
//
// Each block has its own 10 sends. A whole memory is 4096 blocks: were the ten time-outs
// shared by every block of the visit, a handful of lost answers spread over minutes of an
// otherwise sound line would end a save that would have completed.
template <class SM> class CConfigSaveSerialPromLoopBodyState : public CReadSerialPromState<SM> {
public:
    CConfigSaveSerialPromLoopBodyState(SM* host, const char* name, CState<SM>* next, DWORD timeout, DWORD errorCode)
        : CReadSerialPromState<SM>(host, name, next, timeout, errorCode, 0, 0, nullptr)
    {
    }
    void Enter() override
    {
        const CMemoryRegion region = this->m_host->Region(this->m_host->m_loopVariable);
        this->m_startAddress = region.start;
        this->m_totalLength = region.length;
        this->m_destination = this->m_host->ImageData() + region.start;
        CReadSerialPromState<SM>::Enter();
    }
    void Accept() override
    {
        this->m_retryCount = 0;
        CReadSerialPromState<SM>::Accept();
    }
};
