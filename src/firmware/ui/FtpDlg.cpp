#include "firmware/ui/FtpDlg.h"
#include "firmware/FirmwareStringIds.h"
#include "firmware/download/DownloadStringIds.h"
#include "firmware/download/FtpTransfer.h"
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include "ui/DialogWaitCursor.h"
#include "ui/OutputWindow.h"
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

CFtpDlg::CFtpDlg(CModel* model, const QString& folder, QWidget* parent)
    : QDialog(parent)
    , m_model(model)
    , m_folder(folder)
    , m_download(this)
{
    setObjectName(QStringLiteral("FtpDlg"));
    setWindowTitle(ResourceString(IDS_DL_CAPTION));
    m_log = new COutputWindow(this);
    m_log->setObjectName(QStringLiteral("log"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setFormat(ResourceString(IDS_DL_PROGRESS_FORMAT));
    // Byte counts only once a file's size is known.
    m_progress->setTextVisible(false);
    m_progress->setRange(0, 1);
    m_progress->setValue(0);
    m_cancel = new QPushButton(ResourceString(IDS_FW_CANCEL), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_cancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_log, 1);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    resize(640, 360);

    connect(m_cancel, &QPushButton::clicked, this, &CFtpDlg::OnCancel);
}

// A window that goes while a file is in flight (the program closing) takes the transfer with
// it: the operation ends without reporting, and its temporary file is removed.
CFtpDlg::~CFtpDlg() = default;

int CFtpDlg::DialogResultFor(DWORD code)
{
    if (code == Result::Success)
        return ResultSuccess;
    return code == Result::Cancelled ? ResultCancelled : ResultError;
}

void CFtpDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_begun)
        QTimer::singleShot(0, this, &CFtpDlg::Begin);
}

void CFtpDlg::Begin()
{
    if (m_begun)
        return;
    m_begun = true;
    BeginWait();
    m_download.Start(m_model->m_fileServer.m_value, m_folder);
}

void CFtpDlg::LogLine(const QString& text)
{
    m_log->AppendText(text);
    m_log->EndLine();
}

void CFtpDlg::OnDownloadLine(Line kind, const QString& text)
{
    switch (kind) {
    case Line::Report:
        LogLine(text);
        m_reported += text;
        // The status bar and the page's log keep it after this window has closed.
        m_model->Status(text);
        break;
    case Line::Log:
    case Line::StatusText:
        LogLine(text);
        break;
    case Line::Detail:
        if (m_model->m_verboseLogging.m_value != 0)
            LogLine(text);
        break;
    }
}

void CFtpDlg::OnDownloadProgress(qint64 received, qint64 total)
{
    // A size the server did not give shows as a bar that only says something is moving.
    if (total <= 0) {
        m_progress->setRange(0, 0);
        return;
    }
    const int maximum = static_cast<int>(std::min<qint64>(total, CFtpTransfer::kMaxBytes));
    m_progress->setTextVisible(true);
    m_progress->setRange(0, maximum);
    m_progress->setValue(static_cast<int>(std::min<qint64>(received, maximum)));
}

void CFtpDlg::OnDownloadFinished(DWORD result)
{
    m_finished = true;
    m_result = result;
    EndWait();
    m_cancel->setText(ResourceString(IDS_CLOSE));
    if (m_progress->maximum() == 0) {
        m_progress->setTextVisible(false);
        m_progress->setRange(0, 1);
    }
    if (result == Result::Cancelled) {
        done(ResultCancelled);
        return;
    }
    if (result == Result::Success && m_model->m_verboseLogging.m_value == 0) {
        // Closing from inside the download's own call: let it unwind first.
        QTimer::singleShot(0, this, [this] { done(ResultSuccess); });
        return;
    }
    // A failure the download has already reported with its code is not said again.
    if (result != Result::Success && !m_reported.contains(QString::asprintf("0x%08X", static_cast<unsigned>(result))))
        LogLine(ErrorCodeLine(result));
    LogLine(ResourceString(IDS_FW_CLICK_CLOSE));
}

void CFtpDlg::OnCancel()
{
    if (m_download.Cancel())
        return; // the cancel has closed the window
    done(m_finished ? DialogResultFor(m_result) : ResultCancelled);
}

void CFtpDlg::reject()
{
    OnCancel();
}

void CFtpDlg::ApplyWaitCursor(bool wait)
{
    ApplyDialogWaitCursor(this, m_cancel, wait);
}
