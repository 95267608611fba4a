#pragma once
#include "ui/ConfigFileChooser.h"
#include "model/StateMachine.h"
#include "model/EventSink.h"
#include "model/Model.h"
#include "model/UserPrompt.h"
#include "model/WaitCursor.h"
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// What the configuration save and restore dialogs share: a line of text over a progress bar
// that follows the model's progress, a Cancel button, the wait cursor while the sequence runs,
// and the task machine, which the dialog releases when it goes. The dialog starts its work when
// it is first shown; the sequence's completion event reaches OnCompletion once, while it runs.
class CConfigProgressDlg : public QDialog, public IEventSink, public CWaitCursorE<CConfigProgressDlg> {
    Q_OBJECT
public:
    ~CConfigProgressDlg() override;

    // Runs when the dialog is first shown: starts observing the model, then the dialog's work.
    void Begin();

    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;
    void ApplyWaitCursor(bool wait);

    QString FileName() const { return m_fileName; }
    DWORD ResultCode() const { return m_result; }
    // The dialog's line of text: what it is doing, then its outcome.
    QString OutcomeText() const;
    QProgressBar* ProgressBar() const { return m_progress; }
    QLabel* RetriesLabel() const { return m_retries; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    CConfigProgressDlg(CModel* model, IUserPrompt* prompt, QWidget* parent, ConfigFileChooser chooser,
        const QString& objectName, unsigned captionId, unsigned textId);

    void showEvent(QShowEvent* event) override;
    void reject() override;

    // The dialog's own work once the model is observed: choose the file, make and start the machine.
    virtual void Run() = 0;
    virtual void OnCancel() = 0;
    // The sequence has ended with `result`; the dialog no longer counts as running.
    virtual void OnCompletion(DWORD result) = 0;

    // Makes the task's machine. While another task holds the port it says so and ends the
    // dialog with result 3, and gives nullptr.
    template <class M> M* CreateMachine()
    {
        M* machine = m_model->CreateMachine<M>();
        m_machine = machine;
        if (!machine)
            EndBusy();
        return machine;
    }
    IStateMachine* Machine() const { return m_machine; }
    void ReleaseMachine();
    // Marks the sequence running, under the wait cursor; the caller starts its machine next.
    void BeginRunning();
    bool IsRunning() const { return m_running; }
    // The outcome, said inside the dialog, which stays open: its line of text takes `text`, and
    // its button reads "Close" and is the default, so Enter closes it.
    void ShowOutcome(const QString& text);
    // A failure: the status line says `failedId` ("Failed to save configuration"), the dialog
    // says it and why (`detail`, which names the file for a file error, else the code's text),
    // then the error box shows the same reason under `captionId`.
    void ShowFailure(unsigned captionId, unsigned failedId, DWORD code, const QString& detail);

    CModel* m_model;
    IUserPrompt* m_prompt;
    ConfigFileChooser m_chooser;
    QString m_fileName;
    DWORD m_result = 0;
    QProgressBar* m_progress;
    QPushButton* m_cancel;

private:
    void EndBusy();

    IStateMachine* m_machine = nullptr;
    bool m_begun = false;
    bool m_running = false;
    QLabel* m_text;
    QLabel* m_retries;
};
