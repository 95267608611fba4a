#pragma once
#include "ui/ConfigBackupOffer.h"
#include "model/EventSink.h"
#include "model/Model.h"
#include "model/UserPrompt.h"
#include "model/WaitCursor.h"
#include <QDialog>

class CEraseConfigStateMachine;
class QLabel;
class QPushButton;

// "Reset Configuration to Factory Default": OK offers a backup of the configuration, then
// resets it (the ATU memories are kept) and the amplifier is switched off and on again.
// Results: 1 reset, 2 cancelled (nothing sent when cancelled before it began), 3 failed.
class CEraseConfigDlg : public QDialog, public IEventSink, public CWaitCursorE<CEraseConfigDlg> {
    Q_OBJECT
public:
    CEraseConfigDlg(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr);
    ~CEraseConfigDlg() override;

    CConfigBackupOffer& BackupOffer() { return m_backup; }
    DWORD ResultCode() const { return m_result; }
    QPushButton* OkButton() const { return m_ok; }
    QPushButton* CancelButton() const { return m_cancel; }
    QLabel* StatusLabel() const { return m_status; }

    // What OK does.
    void Reset();

    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;
    void ApplyWaitCursor(bool wait);

protected:
    void reject() override;

private:
    CModel* m_model;
    IUserPrompt* m_prompt;
    CConfigBackupOffer m_backup;
    CEraseConfigStateMachine* m_machine = nullptr;
    bool m_running = false;
    DWORD m_result = 0;
    QLabel* m_status;
    QPushButton* m_ok;
    QPushButton* m_cancel;
};
