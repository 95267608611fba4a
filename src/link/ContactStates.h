#pragma once
// The states of the contact sequence; the revision and serial number states are also used by
// the firmware loader after the amplifier restarts.
#include "link/Answers.h"
#include "link/states/CommandResponseRetryState.h"
#include "model/ErrorText.h"
#include <algorithm>

// Closes the port if it is open and forgets the device.
template <class SM>
class CClosePortState : public CState<SM> {
public:
    using CState<SM>::CState;
    void Enter() override
    {
        CloseIfOpen(this->m_host);
        this->GoToNext();
    }
    static void CloseIfOpen(SM* host)
    {
        CModel* model = host->Model();
        if (model->m_serialPortState.m_value == 0)
            return;
        const QString name = model->Port() ? model->Port()->Name() : model->m_port.m_value;
        model->ClosePort();
        host->ReportVerbose(FormatResource(IDS_PORT_CLOSED_NAMED, name));
        model->ResetDeviceValues();
        host->m_status = 0;
    }
};

// Opens the port named by the "Port" setting at 230400 bit/s (closing it first when open). A
// port that takes time to open (a connection to a serial device server) is asked again every
// few milliseconds while it says IoPending, so that the event loop runs meanwhile and a cancel
// ends the open at once.
template <class SM>
class COpenPortState : public CState<SM> {
public:
    static constexpr DWORD kPollMs = 10;
    using CState<SM>::CState;
    void Enter() override
    {
        SM* host = this->m_host;
        CModel* model = host->Model();
        CClosePortState<SM>::CloseIfOpen(host);
        // Whatever answered last time is not known to be there now.
        model->m_device.Set(CModelBase::DeviceNone);
        const QString name = model->m_port.m_value;
        if (name.isEmpty()) {
            this->Fail(Result::PortNameMissing);
            return;
        }
        host->ReportVerbose(FormatResource(IDS_OPENING_PORT, name));
        TryOpen();
    }
    void OnTimeout() override { TryOpen(); }

private:
    void TryOpen()
    {
        SM* host = this->m_host;
        CModel* model = host->Model();
        const QString name = model->m_port.m_value;
        if (Result::Failed(host->m_result)) {
            model->ClosePort();
            this->GoToFinal();
            return;
        }
        if (!model->OpenPort(name, true)) {
            const DWORD error = model->PortLastError();
            if (error == Result::IoPending) {
                host->StartTimer(kPollMs);
                return;
            }
            if (error == Result::AccessDenied) {
                host->ReportStatus(FormatResource(IDS_PORT_ACCESS_DENIED, name));
                const QString advice = model->Port() ? model->Port()->ErrorAdvice() : QString();
                if (!advice.isEmpty())
                    host->ReportStatus(advice);
            } else if (error != Result::Cancelled) {
                host->ReportStatus(FormatResource(IDS_UNABLE_TO_OPEN_PORT, name, error, GetErrorText(error)));
            }
            this->Fail(error ? error : Result::GenFailure);
            return;
        }
        model->SetPortSpeed(230400);
        model->NotifyPortSpeed();
        host->ReportVerbose(FormatResource(IDS_PORT_OPEN, name));
        this->GoToNext();
    }
};

// Polls ";" until the amplifier answers: 4 polls per speed, cycling through the seven speeds;
// after each full cycle the poll time-out grows by half, up to 5000 ms. It never fails by
// itself: it runs until an answer comes or the machine is cancelled.
template <class SM>
class CEstablishContactState : public CCommandResponseRetryState<SM> {
public:
    CEstablishContactState(SM* host, const char* name, CState<SM>* next)
        : CCommandResponseRetryState<SM>(host, name, next, 100, QByteArrayLiteral(";"), 0)
    {
    }
    void Prepare() override
    {
        CCommandResponseRetryState<SM>::Prepare();
        m_attemptCount = 0;
        this->m_timeout = 100;
        this->m_host->m_status = 0;
        ReportAttempt();
    }
    void Enter() override { this->Send(); }
    void OnTimeout() override
    {
        if (++m_attemptCount > 3) {
            m_attemptCount = 0;
            CModel* model = this->m_host->Model();
            const DWORD speed = NextDetectionSpeed(model->PortSpeed());
            model->SetPortSpeed(speed);
            model->NotifyPortSpeed();
            if (speed == 230400)
                this->m_timeout = std::min<DWORD>(5000, this->m_timeout * 3 / 2);
            ReportAttempt();
        }
        this->Send();
    }

    DWORD m_attemptCount = 0;

private:
    void ReportAttempt()
    {
        CModel* model = this->m_host->Model();
        const QString name = model->Port() ? model->Port()->Name() : model->m_port.m_value;
        this->m_host->ReportStatus(FormatResource(IDS_ATTEMPTING_CONTACT, ProductName(), name, model->PortSpeed()));
    }
};

// "^rv;" answered "^RV" + "dd.dd;": the firmware revision, and proof that the application runs.
template <class SM>
class CGetFirmwareVersionState : public CCommandResponseRetryState<SM> {
public:
    CGetFirmwareVersionState(SM* host, const char* name, CState<SM>* next)
        : CCommandResponseRetryState<SM>(host, name, next, 500, QByteArrayLiteral("^rv;"), Result::NoRevisionResponse)
    {
    }
    bool ProcessResponse() override
    {
        WORD revision = 0;
        if (!Answers::ParseRevision(this->m_host->m_received, &revision))
            return false;
        // Another device's answer is taken but is not the QRO4000's revision, nor proof that
        // the QRO4000 runs its application.
        CModel* model = this->m_host->Model();
        if (!model->IsOtherDevice()) {
            model->m_firmwareRevision.Set(revision);
            this->m_host->m_status = FirmwareApplication;
        }
        return true;
    }
};

// "^sn;" answered "^SN" + a decimal serial number; one send, no retries.
template <class SM>
class CGetSerialNumberState : public CCommandResponseState<SM> {
public:
    CGetSerialNumberState(SM* host, const char* name, CState<SM>* next)
        : CCommandResponseState<SM>(host, name, next, 500, QByteArrayLiteral("^sn;"), Result::NoSerialNumberResponse)
    {
    }
    bool ProcessResponse() override
    {
        WORD serial = 0;
        if (!Answers::ParseSerialNumber(this->m_host->m_received, &serial))
            return false;
        if (!this->m_host->Model()->IsOtherDevice())
            this->m_host->Model()->m_serialNumber.Set(serial);
        return true;
    }
};
