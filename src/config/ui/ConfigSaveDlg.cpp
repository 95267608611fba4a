#include "config/ui/ConfigSaveDlg.h"
#include "config/ConfigFileFormat.h"
#include "config/ConfigFolder.h"
#include "config/ConfigSaveCompletion.h"
#include "config/ConfigSaveStateMachine.h"
#include "config/ConfigStringIds.h"
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

CConfigSaveDlg::CConfigSaveDlg(CModel* model, IUserPrompt* prompt, QWidget* parent, ConfigFileChooser chooser)
    : QDialog(parent)
    , m_model(model)
    , m_prompt(prompt)
    , m_chooser(std::move(chooser))
    , m_timeStamp(QDateTime::currentDateTime())
{
    setObjectName(QStringLiteral("ConfigSaveDlg"));
    setWindowTitle(ResourceString(IDS_CONFIG_SAVE_CAPTION));
    m_text = new QLabel(ResourceString(IDS_CONFIG_SAVING), this);
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

    connect(m_cancel, &QPushButton::clicked, this, &CConfigSaveDlg::OnCancel);
}

CConfigSaveDlg::~CConfigSaveDlg()
{
    Detach();
    if (m_machine)
        m_machine->Release();
}

void CConfigSaveDlg::Detach()
{
    m_model->m_progressPosition.RemoveObserver(this);
    m_model->m_progressRange.RemoveObserver(this);
    m_model->m_completion.RemoveObserver(this);
}

void CConfigSaveDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!m_begun)
        QTimer::singleShot(0, this, &CConfigSaveDlg::Begin);
}

void CConfigSaveDlg::Begin()
{
    if (m_begun)
        return;
    m_begun = true;
    m_model->m_progressPosition.AddObserver(this);
    m_model->m_progressRange.AddObserver(this);
    m_model->m_completion.AddObserver(this);
    m_progress->setRange(0, static_cast<int>(m_model->m_progressRange.m_value));
    m_model->m_progressPosition.Set(0);

    m_machine = m_model->CreateMachine<CConfigSaveStateMachine>();
    if (!m_machine) {
        m_model->Status(ResourceString(IDS_CONFIG_BUSY));
        m_result = Result::IoPending;
        done(3);
        return;
    }
    const QString offered = QDir(ConfigFile::InitialFolder(*m_model))
                                .filePath(ConfigFile::DefaultFileName(m_model->m_serialNumber.m_value, m_timeStamp));
    m_fileName = m_chooser(this, offered, ConfigFile::QtFilter());
    if (m_fileName.isEmpty()) {
        // Nothing has been sent to the amplifier.
        m_result = Result::Cancelled;
        done(2);
        return;
    }
    m_running = true;
    BeginWait();
    m_machine->Start();
}

void CConfigSaveDlg::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)extra;
    if (eventId == m_model->m_progressPosition.EventId())
        m_progress->setValue(static_cast<int>(m_model->m_progressPosition.m_value));
    else if (eventId == m_model->m_progressRange.EventId())
        m_progress->setRange(0, static_cast<int>(m_model->m_progressRange.m_value));
    else if (eventId == m_model->m_completion.EventId() && m_running)
        OnCompletion(static_cast<DWORD>(index));
}

void CConfigSaveDlg::OnCompletion(DWORD result)
{
    m_running = false;
    QString message;
    m_result = CompleteConfigSave(*m_model, *m_machine, result, m_fileName, m_timeStamp, &message);
    if (!message.isEmpty())
        m_model->Status(message);
    EndWait();
    if (m_result == 0) {
        ConfigFile::RememberFolder(*m_model, m_fileName);
        m_model->Status(ResourceString(IDS_CONFIG_SAVED));
        done(1);
    } else if (m_result == Result::Cancelled) {
        m_model->Status(ResourceString(IDS_SAVE_CANCELLED));
        done(2);
    } else {
        m_failed = true;
        m_model->Status(ResourceString(IDS_SAVE_FAILED));
        if (m_prompt)
            m_prompt->ShowMessage(
                IUserPrompt::Icon::Error, ResourceString(IDS_SAVE_ERROR_CAPTION), GetErrorText(m_result));
        m_cancel->setText(ResourceString(IDS_CLOSE));
    }
}

void CConfigSaveDlg::OnCancel()
{
    if (m_failed) {
        // The button reads "Close" after a failure: nothing is left to cancel.
        done(3);
        return;
    }
    // A running sequence stops at its next send and its completion closes the dialog.
    if (m_machine && m_running && m_machine->Cancel())
        return;
    m_model->Status(ResourceString(IDS_SAVE_CANCELLED));
    m_result = Result::Cancelled;
    done(2);
}

void CConfigSaveDlg::reject()
{
    OnCancel();
}

void CConfigSaveDlg::ApplyWaitCursor(bool wait)
{
    if (wait) {
        setCursor(Qt::WaitCursor);
        // The user can still reach Cancel.
        m_cancel->setCursor(Qt::ArrowCursor);
    } else {
        unsetCursor();
        m_cancel->unsetCursor();
    }
}
