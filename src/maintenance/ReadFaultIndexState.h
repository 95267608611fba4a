#pragma once
#include "link/states/ReadSerialPromState.h"

// Reads the fault log's index word: two bytes at 0x0A, low byte first, stored as a number once
// both are in. The block reading is the generic EEPROM read's.
template <class SM> class CReadFaultIndexState : public CReadSerialPromState<SM> {
public:
    CReadFaultIndexState(
        SM* host, const char* name, CState<SM>* next, DWORD timeout, DWORD errorCode, DWORD address, WORD* index)
        : CReadSerialPromState<SM>(host, name, next, timeout, errorCode, address, 2, m_raw)
        , m_index(index)
    {
    }
    void Advance() override
    {
        *m_index = static_cast<WORD>(m_raw[0] | m_raw[1] << 8);
        CReadSerialPromState<SM>::Advance();
    }

private:
    WORD* m_index;
    BYTE m_raw[2] = {};
};
