#pragma once
// The states of the operate poll cycle. Most are one query that fills one model value
// (COperateQueryState); the others carry the cycle's jumps and the user's requests.
#include "link/Answers.h"
#include "link/states/CommandDelayState.h"
#include "link/states/CommandOptionalResponse2State.h"
#include "link/states/CommandOptionalResponseState.h"
#include "link/states/CommandResponseState.h"
#include "link/states/QueryIState.h"
#include "model/HexDigits.h"
#include "operate/OperateAnswers.h"

namespace OperateTiming {
constexpr DWORD kQueryTimeout = 500;
// A relay set and the key presses expect no answer; the amplifier takes them this long.
constexpr DWORD kSetTimeout = 10;
constexpr DWORD kKeyTimeout = 10;
// "^oc;" came with firmware 01.53; older firmware leaves it unanswered.
constexpr WORD kOverdriveRevision = 153;
} // namespace OperateTiming

// A request of the page for one of the relay banks: cleared by the state that sends it.
struct COperateRelayRequest {
    DWORD m_flag = 0;
    BYTE m_relays = 0;
};

// A query that fills one model value. The answer must begin with the command without its ";",
// in any case; Parse takes the rest and answers the value, or nothing to drop the answer (the
// value then keeps what it had, is not current, and the time-out moves the cycle on).
template <class SM, class T, auto Parse, template <class> class Base = CCommandOptionalResponse2State>
class COperateQueryState : public Base<SM> {
public:
    COperateQueryState(SM* host, const char* name, CState<SM>* next, const char* command, CReadingValue<T>& value)
        : Base<SM>(host, name, next, OperateTiming::kQueryTimeout, QByteArray(command))
        , m_prefix(QByteArray(command).chopped(1))
        , m_value(value)
    {
    }

    bool ProcessResponse() override
    {
        const QByteArray& answer = this->m_host->m_received;
        if (!OperateAnswers::HasPrefix(answer, m_prefix))
            return false;
        const auto parsed = Parse(answer.mid(m_prefix.size()));
        if (!parsed)
            return false;
        m_value.Set(static_cast<T>(*parsed));
        return true;
    }

    const QByteArray m_prefix;
    CReadingValue<T>& m_value;
};

template <class SM> using CGetLcdTextState = COperateQueryState<SM, CString, OperateAnswers::DisplayText>;
template <class SM> using CGetFaultCodeState = COperateQueryState<SM, BYTE, OperateAnswers::HexByte>;
template <class SM> using CGetOperateStandbyState = COperateQueryState<SM, int, OperateAnswers::Flag>;
template <class SM> using CGetAntennaState = COperateQueryState<SM, BYTE, OperateAnswers::Antenna>;
template <class SM>
using CGetBandNumberOperateState
    = COperateQueryState<SM, CModelBase::Band, OperateAnswers::Band, CCommandOptionalResponseState>;
template <class SM> using CGetAtuModeState = COperateQueryState<SM, wchar_t, OperateAnswers::Letter>;
template <class SM> using CGetAtuInlineState = COperateQueryState<SM, int, OperateAnswers::Flag>;
template <class SM> using CGetCapacitorState = COperateQueryState<SM, BYTE, OperateAnswers::RelayByte>;
template <class SM> using CGetInductorState = COperateQueryState<SM, BYTE, OperateAnswers::RelayByte>;
template <class SM> using CGetSideState = COperateQueryState<SM, wchar_t, OperateAnswers::Letter>;
template <class SM> using CGetFrequencyState = COperateQueryState<SM, WORD, OperateAnswers::Word>;
template <class SM> using CGetPACurrentState = COperateQueryState<SM, WORD, OperateAnswers::Word>;
template <class SM> using CGetPAVoltageState = COperateQueryState<SM, DWORD, OperateAnswers::Millivolts>;
template <class SM> using CGetPowerDissipatedState = COperateQueryState<SM, WORD, OperateAnswers::Word>;
template <class SM> using CGetPowerForwardState = COperateQueryState<SM, WORD, OperateAnswers::Word>;
template <class SM> using CGetPowerInputState = COperateQueryState<SM, WORD, OperateAnswers::Word>;
template <class SM> using CGetPowerReflectedState = COperateQueryState<SM, WORD, OperateAnswers::Word>;
template <class SM> using CGetSwrState = COperateQueryState<SM, WORD, OperateAnswers::Word>;
template <class SM> using CGetSwrBypassState = COperateQueryState<SM, WORD, OperateAnswers::Word>;
template <class SM> using CGetTemperatureState = COperateQueryState<SM, WORD, OperateAnswers::Word>;

// "^I;" in the poll cycle: another device ends the cycle as it ends the contact (0xE200004E),
// before anything meant for the QRO4000 (power, keys, relays) goes to it and before its answers
// ("^RV" among them) are taken for the QRO4000's.
template <class SM> class COperateQueryIState : public CQueryIState<SM> {
public:
    using CQueryIState<SM>::CQueryIState;

    void GoToNext() override
    {
        if (!this->m_host->Model()->IsExpectedDevice()) {
            this->m_host->m_status = FirmwareNone;
            this->Fail(Result::UnexpectedDevice);
            return;
        }
        CQueryIState<SM>::GoToNext();
    }
};

// "^oc;" only where the firmware knows it: with an older revision the command is emptied and
// the state passes on without sending.
template <class SM> class CGetOverdriveCodeState : public COperateQueryState<SM, BYTE, OperateAnswers::HexByte> {
public:
    using COperateQueryState<SM, BYTE, OperateAnswers::HexByte>::COperateQueryState;
    void Prepare() override
    {
        COperateQueryState<SM, BYTE, OperateAnswers::HexByte>::Prepare();
        if (this->m_host->Model()->m_firmwareRevision.m_value < OperateTiming::kOverdriveRevision)
            this->m_command.clear();
    }
};

// "^on;": the power status. The state leaves by the value just read (or kept, when no answer
// came): with the amplifier switched off, only the power request and the keys remain worth
// sending, so the cycle jumps to them.
template <class SM> class CGetPowerStatusState : public COperateQueryState<SM, int, OperateAnswers::Flag> {
public:
    CGetPowerStatusState(SM* host, const char* name, CState<SM>* next, CState<SM>* offNext)
        : COperateQueryState<SM, int, OperateAnswers::Flag>(host, name, next, "^on;", host->Model()->m_powerStatus)
        , m_offNext(offNext)
    {
    }
    void GoToNext() override
    {
        if (this->m_value.m_value == 0 && m_offNext)
            this->m_host->EnterState(m_offNext);
        else
            COperateQueryState<SM, int, OperateAnswers::Flag>::GoToNext();
    }

    CState<SM>* m_offNext;
};

// The power request: the set and the query in one write ("^on1;^on;"), so that the answer of
// the same visit shows whether the amplifier took it. Nothing to send passes straight on.
template <class SM> class CSetPowerStatusState : public CGetPowerStatusState<SM> {
public:
    CSetPowerStatusState(SM* host, const char* name, CState<SM>* next)
        : CGetPowerStatusState<SM>(host, name, next, nullptr)
    {
    }
    void Enter() override
    {
        unsigned on = 0;
        if (this->m_host->TakePowerRequest(&on))
            this->m_command = "^on" + QByteArray::number(on) + ";" + this->m_storedCommand;
        else
            this->m_command.clear();
        CGetPowerStatusState<SM>::Enter();
    }
};

// A relay bank: the query, or, when the page asked for a byte, the set command in its place
// ("^cr1F;"). The amplifier answers no set, so the state goes on after a short wait and the
// next cycle reads the byte back.
template <class SM, class Get> class CRelaySetState : public Get {
public:
    CRelaySetState(SM* host, const char* name, CState<SM>* next, const char* command, CReadingValue<BYTE>& value,
        COperateRelayRequest& request)
        : Get(host, name, next, command, value)
        , m_request(request)
    {
    }
    void Prepare() override
    {
        m_setting = false;
        this->m_timeout = OperateTiming::kQueryTimeout;
        Get::Prepare();
    }
    void Enter() override
    {
        if (!m_request.m_flag) {
            Get::Enter();
            return;
        }
        m_request.m_flag = 0;
        m_setting = true;
        this->m_command = this->m_prefix + Hex::kUpperDigits[m_request.m_relays >> 4]
            + Hex::kUpperDigits[m_request.m_relays & 0xF] + ';';
        this->m_timeout = OperateTiming::kSetTimeout;
        this->Send();
    }
    // Whatever arrives in the wait after a set is not a reading of the new byte.
    bool ProcessResponse() override { return !m_setting && Get::ProcessResponse(); }
    void OnTimeout() override
    {
        if (m_setting) {
            m_setting = false;
            this->RestoreCommand();
            this->m_timeout = OperateTiming::kQueryTimeout;
        }
        Get::OnTimeout();
    }

    COperateRelayRequest& m_request;
    bool m_setting = false;
};

template <class SM> using CSetCapacitorState = CRelaySetState<SM, CGetCapacitorState<SM>>;
template <class SM> using CSetInductorState = CRelaySetState<SM, CGetInductorState<SM>>;

// "^rv;": the revision must come ("^RV" in upper case, "dd.dd;"); it shows that the
// application runs, and decides whether "^oc;" is asked.
template <class SM> class COperateQueryRevisionState : public CCommandResponseState<SM> {
public:
    COperateQueryRevisionState(SM* host, const char* name, CState<SM>* next)
        : CCommandResponseState<SM>(
            host, name, next, OperateTiming::kQueryTimeout, QByteArrayLiteral("^rv;"), Result::NoRevisionResponse)
    {
    }
    bool ProcessResponse() override
    {
        WORD revision = 0;
        if (!Answers::ParseRevision(this->m_host->m_received, &revision))
            return false;
        this->m_host->Model()->m_firmwareRevision.Set(revision);
        this->m_host->m_status = FirmwareApplication;
        return true;
    }
};

// The keys pressed since the last cycle, all in one write in the machine's fixed order; the
// amplifier answers none of them.
template <class SM> class CPressButtonState : public CCommandDelayState<SM> {
public:
    CPressButtonState(SM* host, const char* name, CState<SM>* next)
        : CCommandDelayState<SM>(host, name, next, OperateTiming::kKeyTimeout, QByteArray())
    {
    }
    void Enter() override
    {
        this->m_command = this->m_host->TakeKeyCommands();
        CCommandDelayState<SM>::Enter();
    }
};
