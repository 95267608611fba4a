#include "firmware/ui/McuLoaderDlg.h"
#include "ui/ModelProgress.h"
#include "firmware/FileNameParts.h"
#include "firmware/FirmwareStringIds.h"
#include "firmware/McuLoaderStateMachine.h"
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include "ui/DialogWaitCursor.h"
#include "ui/OutputWindow.h"
#include "ui/ProgressFrame.h"
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

CMcuLoaderDlg::CMcuLoaderDlg(CModel* model, IUserPrompt* prompt, QWidget* parent)
    : QDialog(parent)
    , m_model(model)
    , m_prompt(prompt)
{
    setObjectName(QStringLiteral("McuLoaderDlg"));
    setWindowTitle(ResourceString(IDS_FW_DLG_SENDING));
    m_log = new COutputWindow(this);
    m_log->setObjectName(QStringLiteral("log"));
    const CProgressFrame frame
        = CProgressFrame::Build(this, m_log, 1, QStringLiteral("progress"), ResourceString(IDS_FW_CANCEL));
    m_progress = frame.progress;
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_retries = frame.retries;
    m_cancel = frame.button;
    resize(640, 360);
    // Until the loader's first line, the window says what it is about to do.
    LogLine(ResourceString(IDS_FW_LOADER_PREPARING));
    m_progress->setRange(0, 0);

    connect(m_cancel, &QPushButton::clicked, this, &CMcuLoaderDlg::OnCancel);
}

CMcuLoaderDlg::~CMcuLoaderDlg()
{
    if (m_machine && m_running) {
        // Only when the program goes away mid-load: the machine must not report to a window
        // that no longer exists.
        m_machine->SetNotify(nullptr);
        m_machine->Cancel();
        ModelProgress::Forget(*m_model, this);
        return;
    }
    Detach();
}

void CMcuLoaderDlg::Detach()
{
    ModelProgress::Forget(*m_model, this);
    if (m_machine && !m_running) {
        m_machine->Release();
        m_machine = nullptr;
    }
}

void CMcuLoaderDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_begun)
        QTimer::singleShot(0, this, &CMcuLoaderDlg::Begin);
}

void CMcuLoaderDlg::Begin()
{
    if (m_begun)
        return;
    m_begun = true;
    m_machine = m_model->CreateMachine<CMcuLoaderStateMachine>();
    if (!m_machine) {
        m_result = Result::IoPending;
        LogLine(FormatResource(IDS_FW_BUSY, ProductName()));
        m_cancel->setText(ResourceString(IDS_CLOSE));
        return;
    }
    ModelProgress::Observe(*m_model, this);
    if (!m_machine->IsIdle())
        return;
    setWindowTitle(FormatResource(IDS_FW_DLG_SENDING_PRODUCT, ProductName()));
    m_running = true;
    BeginWait();
    // A file that cannot be used ends the load at once, through the completion event.
    m_machine->StartLoad(this);
}

void CMcuLoaderDlg::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)extra;
    if (ModelProgress::Show(*m_model, eventId, m_progress)) {
        if (m_machine)
            ModelProgress::ShowRetries(m_retries, m_machine->RetryCount());
        return;
    }
    if (eventId == m_model->m_completion.EventId() && m_running)
        OnCompletion(static_cast<DWORD>(index));
}

void CMcuLoaderDlg::OnStatusLine(Kind kind, const QString& text)
{
    (void)kind;
    LogLine(text);
}

void CMcuLoaderDlg::LogLine(const QString& text)
{
    m_log->AppendText(text);
    m_log->EndLine();
}

void CMcuLoaderDlg::OnCompletion(DWORD result)
{
    m_running = false;
    m_result = result;
    m_cancel->setText(ResourceString(IDS_CLOSE));
    EndWait();
    if (m_machine->TotalRetries() != 0) {
        LogLine(FormatResource(IDS_FW_TOTAL_RETRIES, m_machine->TotalRetries()));
        LogLine(FormatResource(IDS_FW_HIGHEST_RETRIES, m_machine->HighestRetries()));
    }
    if (result == 0) {
        m_result = m_machine->VerifyRevision(true);
        if (m_result == 0) {
            // A file name without a revision was not compared: the revision it runs is logged.
            if (FileNameParts::Revision(m_machine->GetFileName()) != 0)
                LogLine(FormatResource(IDS_FW_VERIFICATION_SUCCEEDED, ProductName()));
            const QString complete = FormatResource(IDS_FW_LOAD_COMPLETE, ProductName());
            LogLine(complete);
            // The dialog may close at once: the page's log and the status bar keep the outcome.
            m_model->Status(complete);
            if (m_model->m_verboseLogging.m_value != 0)
                LogLine(ResourceString(IDS_FW_CLICK_CLOSE));
            else
                // Closing from inside the machine's completion: let the machine unwind first.
                QTimer::singleShot(0, this, [this] { done(QDialog::Accepted); });
            return;
        }
        LogLine(ErrorCodeLine(m_result));
        m_model->Status(ErrorCodeLine(m_result));
        return;
    }
    LogLine(ErrorCodeLine(result));
    m_model->Status(ErrorCodeLine(result));
    // A file refused before anything was sent left the amplifier as it was: nothing to reload.
    // A load the user stopped failed no verification: the machine has said what to do next.
    if (result != Result::UnexpectedDevice && result != Result::Cancelled && m_machine->Image().IsLoaded())
        LogLine(FormatResource(IDS_FW_VERIFICATION_FAILED, ProductName(), ProductName()));
}

void CMcuLoaderDlg::OnCancel()
{
    if (!m_running) {
        done(m_result == 0 && m_begun && m_machine ? QDialog::Accepted : QDialog::Rejected);
        return;
    }
    // Stopping inside the download leaves the amplifier deaf until its power is cycled: ask.
    if (m_machine->IsDownloadOpen() && m_prompt
        && !m_prompt->AskYesNo(IUserPrompt::Icon::Warning, ResourceString(IDS_FW_DLG_SENDING),
            FormatResource(IDS_FW_CONFIRM_CANCEL, ProductName())))
        return;
    // The load stops at its next send; the completion then turns the button into "Close".
    if (m_running)
        m_machine->Cancel();
}

void CMcuLoaderDlg::reject()
{
    OnCancel();
}

void CMcuLoaderDlg::done(int result)
{
    if (m_running)
        return; // the load must end first: only its completion may close the window
    Detach();
    QDialog::done(result);
}

void CMcuLoaderDlg::ApplyWaitCursor(bool wait)
{
    ApplyDialogWaitCursor(this, m_cancel, wait);
}
