#pragma once
#include "model/EventSink.h"
#include <QWidget>
#include "model/Types.h"
#include <functional>
#include <memory>

class CModel;
class COperatePoller;
class CRadioFollowing;
class QComboBox;
class QLabel;
class QLineEdit;

// The Operate page's "Follow radio" choice: off, a rigctld (HOST:PORT) or RadioInfo datagrams
// (a UDP port), kept in the settings. While the page polls, the radio's band changes press the
// amplifier's band key through the page's poller, by the rules every front end shares; the
// line below says what following did last.
class CFollowRadioBox : public QWidget, public IEventSink {
public:
    CFollowRadioBox(CModel& model, COperatePoller& poller, QWidget* parent = nullptr);
    ~CFollowRadioBox() override;

    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;
    QLabel* Status() const { return m_status; }

protected:
    // The page's poller stops while another page is shown: its last readings are not current.
    void hideEvent(QHideEvent* event) override;

private:
    void ShowSetting();
    void Apply();

    CModel& m_model;
    COperatePoller& m_poller;
    QComboBox* m_source;
    QLineEdit* m_address;
    QLabel* m_status;
    std::unique_ptr<CRadioFollowing> m_following;
    std::function<void(DWORD)> m_pressDone; // told when the key has gone out
};
