#pragma once
#include "link/states/CommandResponseRetryState.h"

// Identifies the device with "^I;". The model's device table names it and tells whether it
// answers from its application (status 3) or its boot loader (status 2). A QRO4000 in its boot
// loader continues with next; any other identified device with identified-next (status 0 when
// it is not a QRO4000).
template <class SM>
class CQueryIState : public CCommandResponseRetryState<SM> {
public:
    CQueryIState(SM* host, const char* name, CState<SM>* next, CState<SM>* identifiedNext,
                 DWORD errorCode = Result::NoIdentifyResponse)
        : CCommandResponseRetryState<SM>(host, name, next, 500, QByteArrayLiteral("^I;"), errorCode),
          m_identifiedNext(identifiedNext)
    {
    }

    bool ProcessResponse() override
    {
        CModel* model = this->m_host->Model();
        int kind = 0;
        if (model->IdentifyDevice(QString::fromLatin1(this->m_host->m_received), &kind)) {
            this->m_host->m_status = kind;
            return true;
        }
        model->m_device.Set(CModelBase::DeviceNone);
        this->m_host->m_status = 0;
        return false;
    }
    void OnTimeout() override
    {
        this->m_host->Model()->m_device.Set(CModelBase::DeviceNone);
        CCommandResponseRetryState<SM>::OnTimeout();
    }
    void GoToNext() override
    {
        if (!this->m_host->Model()->IsExpectedDevice()) {
            this->m_host->m_status = 0;
            GoToIdentifiedNext();
        } else if (this->m_host->m_status == FirmwareBootLoader) {
            if (this->m_next)
                this->m_host->EnterState(this->m_next);
        } else {
            GoToIdentifiedNext();
        }
    }

    CState<SM>* m_identifiedNext;

private:
    void GoToIdentifiedNext()
    {
        if (m_identifiedNext)
            this->m_host->EnterState(m_identifiedNext);
    }
};
