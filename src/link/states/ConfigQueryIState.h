#pragma once
#include "link/states/QueryIState.h"

// "^I;" before the configuration memory is read or written. Only a QRO4000 running its
// application goes on: another device's memory has another layout (writing a QRO4000 image
// into it would ruin its set-up), and a boot loader has no configuration to read, so a save
// would write a file of zeros and report success. Both end the sequence with 0xE200004E; a
// boot loader keeps its firmware status (2), another device has none (0).
template <class SM> class CConfigQueryIState : public CQueryIState<SM> {
public:
    using CQueryIState<SM>::CQueryIState;

    void GoToNext() override
    {
        if (!this->m_host->Model()->IsExpectedDevice())
            this->m_host->m_status = FirmwareNone;
        if (this->m_host->m_status != FirmwareApplication) {
            this->Fail(Result::UnexpectedDevice);
            return;
        }
        CQueryIState<SM>::GoToNext();
    }
};
