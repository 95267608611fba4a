#pragma once
#include "link/states/CommandDelayState.h"

// Makes a running application hand over to its boot loader with "^ld;" (nothing is answered;
// the 2000 ms give it time to restart), then moves the port to the boot loader's speed, at
// which all later traffic runs. A unit that identified itself from its boot loader gets no
// "^ld;": that command belongs to the application.
template <class SM> class CLoadEnterBootLoaderState : public CCommandDelayState<SM> {
public:
    static constexpr DWORD kBootLoaderSpeed = 38400;

    CLoadEnterBootLoaderState(SM* host, const char* name, CState<SM>* next)
        : CCommandDelayState<SM>(host, name, next, 2000, QByteArrayLiteral("^ld;"))
    {
    }

    void Enter() override
    {
        // The status just identified, not the model's: the model still holds what the last
        // contact found, and the amplifier may have been restarted since.
        if (this->m_host->m_status == FirmwareApplication)
            this->Send();
        else
            OnTimeout();
    }
    void OnTimeout() override
    {
        CModel* model = this->m_host->Model();
        if (!model->SetPortSpeed(kBootLoaderSpeed)) {
            const DWORD error = model->PortLastError();
            this->Fail(error ? error : Result::GenFailure);
            return;
        }
        model->NotifyPortSpeed();
        this->GoToNext();
    }
};
