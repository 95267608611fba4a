#pragma once
#include "link/states/CommandOptionalResponse2State.h"
#include "link/states/CommandResponseRetry2State.h"
#include "settings/SettingsAnswers.h"
#include "settings/SettingsModel.h"

// Reads one setting: sends its query and stores an accepted answer in the model with Set, so
// that the current and the pending copy become equal and the observers redraw. A malformed
// answer is dropped whole and the time-out decides. Base is the retrying state for settings
// the amplifier must answer, the optional one for those it may not have (the banner, the
// network settings, the programmable keys).
template <class SM, class Base> class CSettingQueryState : public Base {
public:
    static constexpr DWORD kTimeout = 500;

    template <class... ErrorCode>
    CSettingQueryState(
        SettingId id, SM* host, const char* name, CState<SM>* next, const QByteArray& query, ErrorCode... errorCode)
        : Base(host, name, next, kTimeout, query, errorCode...)
        , m_info(SettingsTable::Info(id))
        , m_setPrefix(SettingsAnswers::SetPrefix(query))
    {
    }

    void Prepare() override
    {
        this->m_host->StepProgress();
        Base::Prepare();
    }
    void RestoreCommand() override
    {
        Base::RestoreCommand();
        this->m_timeout = kTimeout;
    }
    bool ProcessResponse() override
    {
        SettingValue value;
        if (!SettingsAnswers::Parse(m_info, m_setPrefix, this->m_host->m_received, &value))
            return false;
        SettingsModel::Store(*this->m_host->Model(), m_info.id, value);
        this->m_host->NoteAnswered(m_info.id);
        return true;
    }

    const SettingInfo& m_info;
    QByteArray m_setPrefix;
};

template <class SM> using CGetSettingState = CSettingQueryState<SM, CCommandResponseRetry2State<SM>>;
template <class SM> using CGetOptionalSettingState = CSettingQueryState<SM, CCommandOptionalResponse2State<SM>>;
