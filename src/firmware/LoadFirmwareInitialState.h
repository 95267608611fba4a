#pragma once
#include "firmware/LoadFirmwareState.h"

// The packet transfer as the load enters it: announces the file, then sends the first packet.
template <class SM> class CLoadFirmwareInitialState : public CLoadFirmwareState<SM> {
public:
    using CLoadFirmwareState<SM>::CLoadFirmwareState;

    void Prepare() override
    {
        SM* host = this->m_host;
        host->Report(FormatResource(IDS_FW_SENDING_FILE, host->GetFileName(), host->GetDeviceName()));
        CLoadFirmwareState<SM>::Prepare();
    }
};
