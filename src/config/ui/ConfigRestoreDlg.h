#pragma once
#include "config/ui/ConfigFileChooser.h"
#include "model/EventSink.h"
#include "model/Model.h"
#include "model/UserPrompt.h"
#include "model/WaitCursor.h"
#include <QDialog>

class CConfigRestoreStateMachine;
class QLabel;
class QProgressBar;
class QPushButton;

// "Restore QRO4000 Configuration": asks for a configuration file, checks all of it, and only
// then writes it into the amplifier with the restore sequence while a progress bar follows it.
// Results: 1 restored, 2 cancelled or no file chosen, 3 file rejected or restore failed.
class CConfigRestoreDlg : public QDialog, public IEventSink, public CWaitCursorE<CConfigRestoreDlg> {
    Q_OBJECT
public:
    CConfigRestoreDlg(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr,
        ConfigFileChooser chooser = ConfigFileDialogs::OpenChooser());
    ~CConfigRestoreDlg() override;

    // Runs when the dialog is first shown: asks for the file, reads it and starts the sequence.
    void Begin();

    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;
    void ApplyWaitCursor(bool wait);

    QString FileName() const { return m_fileName; }
    DWORD ResultCode() const { return m_result; }
    QProgressBar* ProgressBar() const { return m_progress; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void OnCancel();
    void OnCompletion(DWORD result);
    void PopupError(IUserPrompt::Icon icon, unsigned captionId, const QString& text);
    void EndWithResult();
    void Detach();
    void ReleaseMachine();

    CModel* m_model;
    IUserPrompt* m_prompt;
    ConfigFileChooser m_chooser;
    CConfigRestoreStateMachine* m_machine = nullptr;
    QString m_fileName;
    DWORD m_result = 0;
    bool m_begun = false;
    bool m_running = false;
    QLabel* m_text;
    QProgressBar* m_progress;
    QPushButton* m_cancel;
};
