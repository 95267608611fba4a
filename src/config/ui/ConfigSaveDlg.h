#pragma once
#include "config/ui/ConfigFileChooser.h"
#include "model/EventSink.h"
#include "model/Model.h"
#include "model/UserPrompt.h"
#include "model/WaitCursor.h"
#include <QDateTime>
#include <QDialog>

class CConfigSaveStateMachine;
class QLabel;
class QProgressBar;
class QPushButton;

// "Save QRO4000 Configuration": asks for the file name, reads the amplifier's configuration
// memory with the save sequence while a progress bar follows it, then writes the file.
// Results: 1 saved, 2 cancelled (nothing written), 3 failed.
class CConfigSaveDlg : public QDialog, public IEventSink, public CWaitCursorE<CConfigSaveDlg> {
    Q_OBJECT
public:
    CConfigSaveDlg(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr,
        ConfigFileChooser chooser = ConfigFileDialogs::SaveChooser());
    ~CConfigSaveDlg() override;

    // Runs when the dialog is first shown: asks for the file name and starts the sequence.
    void Begin();

    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;
    void ApplyWaitCursor(bool wait);

    QString FileName() const { return m_fileName; }
    const QDateTime& TimeStamp() const { return m_timeStamp; }
    DWORD ResultCode() const { return m_result; }
    QProgressBar* ProgressBar() const { return m_progress; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void OnCancel();
    void OnCompletion(DWORD result);
    void Detach();

    CModel* m_model;
    IUserPrompt* m_prompt;
    ConfigFileChooser m_chooser;
    CConfigSaveStateMachine* m_machine = nullptr;
    QDateTime m_timeStamp;
    QString m_fileName;
    DWORD m_result = 0;
    bool m_begun = false;
    bool m_running = false;
    bool m_failed = false;
    QLabel* m_text;
    QProgressBar* m_progress;
    QPushButton* m_cancel;
};
