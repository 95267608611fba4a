#pragma once
#include "link/states/QueryIState.h"

// "^I;" before a maintenance task: only a QRO4000 running its application goes on. Another
// device must not receive a QRO4000's erase or EEPROM commands (its memory has another layout),
// so it ends the task with 0xE200004E. A QRO4000 in its boot loader has no configuration, fault
// log or clock to work on; rather than end quietly with success, the task ends with the code
// given, which says so. The boot loader keeps its firmware status (2).
template <class SM> class CApplicationQueryIState : public CQueryIState<SM> {
public:
    CApplicationQueryIState(SM* host, const char* name, CState<SM>* identifiedNext, DWORD bootLoaderCode)
        : CQueryIState<SM>(host, name, &host->m_finalState, identifiedNext)
        , m_bootLoaderCode(bootLoaderCode)
    {
    }

    void GoToNext() override
    {
        if (!this->m_host->Model()->IsExpectedDevice()) {
            this->m_host->m_status = FirmwareNone;
            this->Fail(Result::UnexpectedDevice);
        } else if (this->m_host->m_status != FirmwareApplication) {
            this->Fail(m_bootLoaderCode);
        } else {
            CQueryIState<SM>::GoToNext();
        }
    }

    DWORD m_bootLoaderCode;
};
