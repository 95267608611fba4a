#pragma once
#include "model/EventSink.h"
#include "model/Model.h"
#include "model/UserPrompt.h"
#include <QWidget>
#include <functional>

class CDateTimeStateMachine;
class QLineEdit;
class QRadioButton;

// "Set QRO4000 Date and Time": the PC's clock and the amplifier's side by side, both refreshed
// continuously (the amplifier's is read again 100 ms after each answer), with the difference
// between them, and the choice of UTC or local time for the PC's. OK or Apply sets the
// amplifier's clock from the PC's once the running read has ended; closing waits for the
// running read and a 100 ms pause, so that no conversation is left running.
class CDateTimePage : public QWidget, public IEventSink {
    Q_OBJECT
public:
    enum PageState { Idle = 0, Reading = 1, Setting = 2, Closing = 3 };
    static constexpr const char* kHelpTopic = "Configuration.htm#SetDateTime";
    // The PC's clock as universal or local time (tests give a fixed one).
    using ComputerClock = std::function<SYSTEMTIME(bool utc)>;

    CDateTimePage(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr);
    ~CDateTimePage() override;

    void SetComputerClock(ComputerClock clock) { m_clock = std::move(clock); }

    // The page became visible / hidden.
    void OnShown();
    void OnHidden();
    // OK (fromOk) or Apply: answers true while the sheet must stay open (the set comes at the
    // end of the running read).
    bool Apply(bool fromOk);
    // Cancel: true while the sheet must stay open.
    bool Cancel();

    PageState State() const { return m_state; }
    QString ComputerText() const;
    QString AmplifierText() const;
    QString DifferenceText() const;
    QRadioButton* UtcButton() const { return m_utc; }
    QRadioButton* LocalButton() const { return m_local; }

    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;

signals:
    // The page has finished: the sheet closes (accepted after OK).
    void closeRequested(bool accepted);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Observe(bool on);
    void RefreshComputerTime();
    void ShowDifference();
    void OnCompletion(DWORD result);
    void Finish(bool accepted);

    CModel* m_model;
    IUserPrompt* m_prompt;
    ComputerClock m_clock;
    CDateTimeStateMachine* m_machine = nullptr;
    bool m_observing = false;
    bool m_shown = false;
    PageState m_state = Idle;
    bool m_applyRequested = false;
    bool m_closeAfterApply = false;
    bool m_cancelRequested = false;
    bool m_applied = false;
    SYSTEMTIME m_sentTime;
    QLineEdit* m_computer;
    QLineEdit* m_amplifier;
    QLineEdit* m_difference;
    QRadioButton* m_utc;
    QRadioButton* m_local;
};
