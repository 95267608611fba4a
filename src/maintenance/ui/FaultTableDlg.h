#pragma once
#include "ui/ConfigFileChooser.h"
#include "maintenance/FaultTableReader.h"
#include "model/EventSink.h"
#include "model/Model.h"
#include "model/UserPrompt.h"
#include <QDialog>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

// "Fault Table (Newest Entry at Top)": reads the amplifier's fault log when it is shown and
// lists one line per entry, newest first, in a fixed-pitch font, with progress while it reads.
// "Save As..." writes the lines as shown to a text file. Cancel stops the reading (result 2); an
// error shows "Fault Table Error" and closes the dialog (result 3). When the dialog goes, the
// contact sequence runs again.
class CFaultTableDlg : public QDialog, public IEventSink {
    Q_OBJECT
public:
    CFaultTableDlg(CModel* model, IUserPrompt* prompt, QWidget* parent = nullptr,
        ConfigFileChooser chooser = ConfigFileDialogs::SaveChooser());
    ~CFaultTableDlg() override;

    // Starts the reading (done once, when the dialog is first shown).
    void Begin();
    // What "Save As..." does; answers the platform error of the write, or 0.
    DWORD SaveAs();

    QString Text() const;
    DWORD ResultCode() const { return m_result; }
    bool IsReading() const { return m_reader.IsRunning(); }
    QPlainTextEdit* TextBox() const { return m_text; }
    QProgressBar* ProgressBar() const { return m_progress; }
    QPushButton* SaveButton() const { return m_save; }
    QPushButton* CloseButton() const { return m_close; }
    QLabel* StatusLabel() const { return m_status; }

    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;
    void done(int result) override;

private:
    void OnEntry(unsigned slot, const CFaultEntry& entry);
    void OnEnd(DWORD result);
    void Observe(bool on);

    CModel* m_model;
    IUserPrompt* m_prompt;
    ConfigFileChooser m_chooser;
    CFaultTableReader m_reader;
    bool m_begun = false;
    bool m_observing = false;
    DWORD m_result = 0;
    QString m_lines;
    QPlainTextEdit* m_text;
    QProgressBar* m_progress;
    QLabel* m_status;
    QPushButton* m_save;
    QPushButton* m_close;
};
