#include "config/ui/ConfigRestoreDlg.h"
#include "config/ConfigFileFormat.h"
#include "config/ConfigFileReader.h"
#include "config/ConfigFolder.h"
#include "config/ConfigRestoreStateMachine.h"
#include "config/ConfigStringIds.h"
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

CConfigRestoreDlg::CConfigRestoreDlg(CModel* model, IUserPrompt* prompt, QWidget* parent, ConfigFileChooser chooser)
    : QDialog(parent)
    , m_model(model)
    , m_prompt(prompt)
    , m_chooser(std::move(chooser))
{
    setObjectName(QStringLiteral("ConfigRestoreDlg"));
    setWindowTitle(ResourceString(IDS_CONFIG_RESTORE_CAPTION));
    m_text = new QLabel(ResourceString(IDS_CONFIG_RESTORING), this);
    m_text->setObjectName(QStringLiteral("text2320"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress2319"));
    m_progress->setTextVisible(false);
    m_cancel = new QPushButton(ResourceString(IDS_CONFIG_CANCEL), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    m_cancel->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancel);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(m_progress);
    layout->addLayout(buttons);
    setMinimumWidth(320);

    connect(m_cancel, &QPushButton::clicked, this, &CConfigRestoreDlg::OnCancel);
}

CConfigRestoreDlg::~CConfigRestoreDlg()
{
    Detach();
    ReleaseMachine();
}

void CConfigRestoreDlg::Detach()
{
    m_model->m_progressPosition.RemoveObserver(this);
    m_model->m_progressRange.RemoveObserver(this);
    m_model->m_completion.RemoveObserver(this);
}

void CConfigRestoreDlg::ReleaseMachine()
{
    if (m_machine) {
        m_machine->Release();
        m_machine = nullptr;
    }
}

void CConfigRestoreDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_begun)
        QTimer::singleShot(0, this, &CConfigRestoreDlg::Begin);
}

void CConfigRestoreDlg::PopupError(IUserPrompt::Icon icon, unsigned captionId, const QString& text)
{
    m_model->Status(text);
    if (m_prompt)
        m_prompt->ShowMessage(icon, ResourceString(captionId), text);
}

void CConfigRestoreDlg::Begin()
{
    if (m_begun)
        return;
    m_begun = true;
    m_model->m_progressPosition.AddObserver(this);
    m_model->m_progressRange.AddObserver(this);
    m_model->m_completion.AddObserver(this);

    m_machine = m_model->CreateMachine<CConfigRestoreStateMachine>();
    if (!m_machine) {
        m_model->Status(ResourceString(IDS_CONFIG_BUSY));
        m_result = Result::IoPending;
        done(3);
        return;
    }
    m_fileName = m_chooser(this, ConfigFile::InitialFolder(*m_model), ConfigFile::QtFilter());
    if (m_fileName.isEmpty()) {
        ReleaseMachine();
        m_result = Result::Cancelled;
        done(2);
        return;
    }
    // The whole file is checked before the sequence sees any of it: a damaged file never
    // reaches the amplifier.
    QString message;
    m_result = LoadConfigFile(m_fileName, m_model->m_serialNumber.m_value, *m_machine, &message);
    if (m_result != 0) {
        PopupError(IUserPrompt::Icon::Error, IDS_RESTORE_ERROR_CAPTION, message);
        ReleaseMachine();
        done(3);
        return;
    }
    ConfigFile::RememberFolder(*m_model, m_fileName);
    m_running = true;
    BeginWait();
    m_machine->Start();
}

void CConfigRestoreDlg::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)extra;
    if (eventId == m_model->m_progressPosition.EventId())
        m_progress->setValue(static_cast<int>(m_model->m_progressPosition.m_value));
    else if (eventId == m_model->m_progressRange.EventId())
        m_progress->setRange(0, static_cast<int>(m_model->m_progressRange.m_value));
    else if (eventId == m_model->m_completion.EventId() && m_running)
        OnCompletion(static_cast<DWORD>(index));
}

void CConfigRestoreDlg::OnCompletion(DWORD result)
{
    m_running = false;
    m_cancel->setText(ResourceString(IDS_CLOSE));
    EndWait();
    m_result = result;
    if (result == 0) {
        m_model->Status(ResourceString(IDS_CONFIG_RESTORED));
        done(1);
    } else if (result == Result::Cancelled) {
        m_model->Status(ResourceString(IDS_RESTORE_CANCELLED));
        done(2);
    } else {
        m_model->Status(ResourceString(IDS_RESTORE_FAILED));
        if (m_prompt)
            m_prompt->ShowMessage(
                IUserPrompt::Icon::Error, ResourceString(IDS_RESTORE_ERROR_CAPTION), GetErrorText(result));
    }
}

void CConfigRestoreDlg::EndWithResult()
{
    done(m_result == 0 ? 1 : m_result == Result::Cancelled ? 2 : 3);
}

void CConfigRestoreDlg::OnCancel()
{
    if (!m_machine || m_machine->IsIdle()) {
        EndWithResult();
        return;
    }
    // Stopping part way leaves the memory half written: ask, and say what to do next.
    if (!m_prompt
        || !m_prompt->AskYesNo(
            IUserPrompt::Icon::Warning, ResourceString(IDS_CRITICAL_OPERATION), ResourceString(IDS_INTERRUPT_RESTORE)))
        return;
    if (m_machine->Cancel() && m_prompt)
        m_prompt->ShowMessage(IUserPrompt::Icon::Warning, ResourceString(IDS_CRITICAL_OPERATION),
            ResourceString(IDS_RESTORE_CANCELLED_POWER_CYCLE));
}

void CConfigRestoreDlg::reject()
{
    OnCancel();
}

void CConfigRestoreDlg::ApplyWaitCursor(bool wait)
{
    if (wait) {
        setCursor(Qt::WaitCursor);
        m_cancel->setCursor(Qt::ArrowCursor);
    } else {
        unsetCursor();
        m_cancel->unsetCursor();
    }
}
