#pragma once
#include "firmware/download/FirmwareDownload.h"
#include "model/Model.h"
#include "model/WaitCursor.h"
#include <QDialog>

class COutputWindow;
class QProgressBar;
class QPushButton;

// "Copy Files from Brimwell File Server": copies new firmware files into the firmware folder
// and shows every step, with the bytes of the file being copied on a progress bar. The copy
// runs off the user-interface thread; its lines arrive here on this thread. Results: 1 when
// everything was copied (or nothing was new), 2 when cancelled, 3 on any other error. After an
// error the window stays open so that the log can be read; success closes it at once unless
// verbose logging is on.
class CFtpDlg : public QDialog, public IFirmwareDownloadSink, public CWaitCursorE<CFtpDlg> {
    Q_OBJECT
public:
    enum DialogResult { ResultSuccess = 1, ResultCancelled = 2, ResultError = 3 };

    CFtpDlg(CModel* model, const QString& folder, QWidget* parent = nullptr);
    ~CFtpDlg() override;

    // Runs when the dialog is first shown: starts the copy.
    void Begin();
    DWORD ResultCode() const { return m_result; }
    // The dialog result a download result gives.
    static int DialogResultFor(DWORD code);

    CFirmwareDownload& Download() { return m_download; }
    COutputWindow* Log() const { return m_log; }
    QProgressBar* ProgressBar() const { return m_progress; }
    QPushButton* CancelButton() const { return m_cancel; }

    void OnDownloadLine(Line kind, const QString& text) override;
    void OnDownloadProgress(qint64 received, qint64 total) override;
    void OnDownloadFinished(DWORD result) override;
    void ApplyWaitCursor(bool wait);

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    void OnCancel();
    void LogLine(const QString& text);

    CModel* m_model;
    QString m_folder;
    CFirmwareDownload m_download;
    DWORD m_result = 0;
    bool m_begun = false;
    bool m_finished = false;
    QString m_reported; // the lines the download reported, which may already name the failure
    COutputWindow* m_log;
    QProgressBar* m_progress;
    QPushButton* m_cancel;
};
