#pragma once
#include "model/EventSink.h"
#include "model/Model.h"
#include "model/StatusSink.h"
#include "model/UserPrompt.h"
#include "model/WaitCursor.h"
#include <QDialog>

class CMcuLoaderStateMachine;
class COutputWindow;
class QLabel;
class QProgressBar;
class QPushButton;

// "Sending Firmware": runs the firmware loader on the model's port and shows its messages and
// progress. The chosen firmware file is the model's. The button reads "Cancel" while the load
// runs and "Close" after it; a successful load closes the dialog by itself unless verbose
// logging is on. Results: Accepted after a load that was verified, Rejected otherwise.
class CMcuLoaderDlg : public QDialog, public IEventSink, public IStatusSink, public CWaitCursorE<CMcuLoaderDlg> {
    Q_OBJECT
public:
    CMcuLoaderDlg(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr);
    ~CMcuLoaderDlg() override;

    // Runs when the dialog is first shown: makes the loader and starts the load.
    void Begin();
    // The load's result, or the revision check's when the load itself succeeded.
    DWORD ResultCode() const { return m_result; }
    bool IsRunning() const { return m_running; }

    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;
    void OnStatusLine(Kind kind, const QString& text) override;
    void ApplyWaitCursor(bool wait);

    COutputWindow* Log() const { return m_log; }
    QProgressBar* ProgressBar() const { return m_progress; }
    QLabel* RetriesLabel() const { return m_retries; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;
    void done(int result) override;

private:
    void OnCancel();
    void OnCompletion(DWORD result);
    void LogLine(const QString& text);
    void Detach();

    CModel* m_model;
    IUserPrompt* m_prompt;
    CMcuLoaderStateMachine* m_machine = nullptr;
    DWORD m_result = 0;
    bool m_begun = false;
    bool m_running = false;
    COutputWindow* m_log;
    QProgressBar* m_progress;
    QLabel* m_retries;
    QPushButton* m_cancel;
};
