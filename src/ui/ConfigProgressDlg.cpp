#include "ui/ConfigProgressDlg.h"
#include "config/ConfigStringIds.h"
#include "ui/ModelProgress.h"
#include "link/ConnectionState.h"
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include "ui/DialogWaitCursor.h"
#include "ui/ErrorBox.h"
#include "ui/ProgressFrame.h"
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

CConfigProgressDlg::CConfigProgressDlg(CModel* model, IUserPrompt* prompt, QWidget* parent, ConfigFileChooser chooser,
    const QString& objectName, unsigned captionId, unsigned textId)
    : QDialog(parent)
    , m_model(model)
    , m_prompt(prompt)
    , m_chooser(std::move(chooser))
{
    setObjectName(objectName);
    setWindowTitle(ResourceString(captionId));
    m_text = new QLabel(ResourceString(textId), this);
    m_text->setObjectName(QStringLiteral("text2320"));
    const CProgressFrame frame = CProgressFrame::Build(
        this, m_text, 0, QStringLiteral("progress2319"), ResourceString(IDS_CONFIG_CANCEL));
    m_progress = frame.progress;
    m_retries = frame.retries;
    m_cancel = frame.button;
    setMinimumWidth(320);

    connect(m_cancel, &QPushButton::clicked, this, &CConfigProgressDlg::OnCancel);
}

CConfigProgressDlg::~CConfigProgressDlg()
{
    ModelProgress::Forget(*m_model, this);
    ReleaseMachine();
}

void CConfigProgressDlg::ReleaseMachine()
{
    if (m_machine) {
        m_machine->Release();
        m_machine = nullptr;
    }
}

void CConfigProgressDlg::EndBusy()
{
    m_model->Status(ResourceString(IDS_CONFIG_BUSY));
    m_result = Result::IoPending;
    done(3);
}

void CConfigProgressDlg::BeginRunning()
{
    m_running = true;
    BeginWait();
}

void CConfigProgressDlg::ShowOutcome(const QString& text)
{
    // The program's texts break lines with CR LF; a label wants LF.
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text->setWordWrap(true);
    m_text->setText(shown);
    m_cancel->setText(ResourceString(IDS_CLOSE));
    m_cancel->setDefault(true);
    m_cancel->setFocus();
}

QString CConfigProgressDlg::OutcomeText() const
{
    return m_text->text();
}

void CConfigProgressDlg::ShowFailure(unsigned captionId, unsigned failedId, DWORD code, const QString& detail)
{
    const QString failed = ResourceString(failedId);
    // What the code means here: the port that has gone, the firmware load that comes first.
    const QString advice = detail.isEmpty() ? FailureAdvice(code, ReadConnectionFacts(*m_model)) : QString();
    if (!detail.isEmpty())
        m_model->Status(detail);
    m_model->Status(failed);
    if (!advice.isEmpty())
        m_model->Status(advice);
    const QString why = detail.isEmpty() ? ErrorCodeLine(code) : detail;
    ShowOutcome(failed + QLatin1Char('\n') + why + (advice.isEmpty() ? QString() : QLatin1Char('\n') + advice));
    if (!advice.isEmpty() && m_prompt)
        m_prompt->ShowMessage(
            IUserPrompt::Icon::Error, ResourceString(captionId), GetErrorText(code) + QStringLiteral("\r\n") + advice);
    else if (detail.isEmpty())
        ShowErrorBox(m_prompt, code, captionId);
    else if (m_prompt)
        m_prompt->ShowMessage(IUserPrompt::Icon::Error, ResourceString(captionId), detail);
}

void CConfigProgressDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_begun)
        QTimer::singleShot(0, this, &CConfigProgressDlg::Begin);
}

void CConfigProgressDlg::Begin()
{
    if (m_begun)
        return;
    m_begun = true;
    ModelProgress::Observe(*m_model, this);
    Run();
}

void CConfigProgressDlg::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)extra;
    if (ModelProgress::Show(*m_model, eventId, m_progress)) {
        if (m_machine)
            ModelProgress::ShowRetries(m_retries, m_machine->RetryCount());
        return;
    }
    if (eventId == m_model->m_completion.EventId() && m_running) {
        m_running = false;
        OnCompletion(static_cast<DWORD>(index));
    }
}

void CConfigProgressDlg::reject()
{
    OnCancel();
}

void CConfigProgressDlg::ApplyWaitCursor(bool wait)
{
    ApplyDialogWaitCursor(this, m_cancel, wait);
}
