#pragma once
#include "link/Answers.h"
#include "link/states/CommandResponseRetryState.h"

// Erases the ATU memories of the model's band (0 to 10, or 11 for all bands) and antenna (1 or
// 2): "^em051;" is band 5, antenna 1, "^emAB2;" all bands of antenna 2. The revision query goes
// in the same write ("^em051;^rv;"): the amplifier reads it only once the erase is done, so its
// answer says the erase has ended. Sent again, the whole write erases again, which changes
// nothing: an erased memory stays erased.
template <class SM> class CEraseMemoryState : public CCommandResponseRetryState<SM> {
public:
    static constexpr int kAllBands = 11;

    CEraseMemoryState(SM* host, const char* name, CState<SM>* next, DWORD timeout, DWORD errorCode)
        : CCommandResponseRetryState<SM>(host, name, next, timeout, QByteArray(), errorCode)
    {
    }

    static QByteArray BuildCommand(int band, int antenna)
    {
        if (antenna < 1 || antenna > 2 || band < 0 || band > kAllBands)
            return QByteArray();
        const QString erase = band == kAllBands ? QString::asprintf("^emAB%01u;", unsigned(antenna))
                                                : QString::asprintf("^em%02u%01u;", unsigned(band), unsigned(antenna));
        return erase.toLatin1() + "^rv;";
    }

    void Prepare() override
    {
        CCommandResponseRetryState<SM>::Prepare();
        CModel* model = this->m_host->Model();
        this->m_command = BuildCommand(model->m_band.m_value, model->m_antenna.m_value);
    }
    void Enter() override
    {
        // A band or antenna the amplifier does not have: nothing is sent.
        if (this->m_command.isEmpty())
            this->Fail(Result::InvalidParameter);
        else
            this->Send();
    }
    bool ProcessResponse() override
    {
        WORD revision = 0;
        if (!Answers::ParseRevision(this->m_host->m_received, &revision))
            return false;
        this->m_host->Model()->m_firmwareRevision.Set(revision);
        return true;
    }
};
