#pragma once
#include "settings/SettingQueryState.h"
#include "settings/SettingsText.h"
#include <type_traits>

// Writes one setting when its pending copy differs from the current value: the set command and
// the query go out in one write ("^aa1;^aa;"), and the query's answer refreshes the value.
// When nothing differs the command is empty and the state passes on without sending.
//
// The answer says what the amplifier now holds. When that is not what was sent, the amplifier
// has refused the value: the edit goes back into the pending copy, so that it is neither lost
// nor shown as applied, and the machine reports the setting when it ends. An optional setting
// whose read-back goes unanswered is asked again (the query alone, kReadBackTries in all)
// before it is reported the same way: nothing confirms it. A set sent without any read-back
// answer when the machine ends otherwise (the link dropped) is unconfirmed: its outcome is
// unknown.
template <class SM, class Base> class CSettingSetState : public CSettingQueryState<SM, Base> {
    using Query = CSettingQueryState<SM, Base>;

public:
    static constexpr int kReadBackTries = 3;
    using Query::Query;

    void Enter() override
    {
        CModel& model = *this->m_host->Model();
        m_sending = SettingsModel::HasPendingChange(model, this->m_info.id);
        m_readBacks = 0;
        if (m_sending) {
            m_sent = SettingsModel::Pending(model, this->m_info.id);
            this->m_command = SettingsAnswers::BuildSetCommand(this->m_info, this->m_storedCommand, m_sent);
            this->m_host->NoteSent(this->m_info.id);
        } else {
            this->m_command.clear();
        }
        Query::Enter();
    }
    bool ProcessResponse() override
    {
        if (!Query::ProcessResponse())
            return false;
        CModel& model = *this->m_host->Model();
        if (m_sending)
            this->m_host->NoteConfirmed(this->m_info.id);
        if (m_sending
            && !SettingsText::Equivalent(this->m_info, SettingsModel::Current(model, this->m_info.id), m_sent)) {
            SettingsModel::SetPending(model, this->m_info.id, m_sent);
            this->m_host->NoteNotTaken(this->m_info.id);
        }
        return true;
    }
    void OnTimeout() override
    {
        if constexpr (std::is_base_of_v<CCommandOptionalResponseState<SM>, Base>) {
            if (m_sending && ++m_readBacks < kReadBackTries) {
                // The set went out; only its answer is missing: ask what the amplifier holds.
                this->m_command = this->m_storedCommand;
                this->Send();
                return;
            }
            if (m_sending) {
                this->m_host->NoteNotTaken(this->m_info.id);
                this->m_host->NoteConfirmed(this->m_info.id); // its outcome is said: not taken
            }
        }
        Query::OnTimeout();
    }

private:
    bool m_sending = false;
    int m_readBacks = 0;
    SettingValue m_sent;
};

template <class SM> using CSetSettingState = CSettingSetState<SM, CCommandResponseRetry2State<SM>>;
template <class SM> using CSetOptionalSettingState = CSettingSetState<SM, CCommandOptionalResponse2State<SM>>;
