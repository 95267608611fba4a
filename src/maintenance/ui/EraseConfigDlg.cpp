#include "maintenance/ui/EraseConfigDlg.h"
#include "maintenance/EraseConfigStateMachine.h"
#include "maintenance/MaintenanceStringIds.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include "ui/DialogWaitCursor.h"
#include "ui/ErrorBox.h"
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CEraseConfigDlg::CEraseConfigDlg(CModel* model, IUserPrompt* prompt, QWidget* parent)
    : QDialog(parent)
    , m_model(model)
    , m_prompt(prompt)
    , m_backup(model, prompt)
{
    setObjectName(QStringLiteral("EraseConfigDlg"));
    setWindowTitle(ResourceString(IDS_RESET_CAPTION));
    auto* layout = new QVBoxLayout(this);
    for (unsigned id : {IDS_RESET_TEXT_OK, IDS_RESET_TEXT_ATU, IDS_RESET_TEXT_IRREVERSIBLE}) {
        auto* line = new QLabel(ResourceString(id), this);
        line->setWordWrap(true);
        layout->addWidget(line);
    }
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    layout->addWidget(m_status);
    m_ok = new QPushButton(ResourceString(IDS_DT_OK), this);
    m_ok->setObjectName(QStringLiteral("ok"));
    m_ok->setDefault(false);
    m_ok->setAutoDefault(false);
    m_cancel = new QPushButton(ResourceString(IDS_DT_CANCEL), this);
    m_cancel->setObjectName(QStringLiteral("cancel"));
    // Enter must not reset a configuration: Cancel is the default button.
    m_cancel->setDefault(true);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    layout->addLayout(buttons);
    setMinimumWidth(420);
    connect(m_ok, &QPushButton::clicked, this, &CEraseConfigDlg::Reset);
    connect(m_cancel, &QPushButton::clicked, this, &CEraseConfigDlg::reject);
}

CEraseConfigDlg::~CEraseConfigDlg()
{
    m_model->m_completion.RemoveObserver(this);
    if (m_machine)
        m_machine->Release();
}

void CEraseConfigDlg::Reset()
{
    if (m_running)
        return;
    m_ok->setEnabled(false);
    if (!m_backup.Offer(this, IDS_BACKUP_OPERATION_RESET)) {
        m_model->Status(ResourceString(IDS_RESET_CANCELLED));
        m_result = Result::Cancelled;
        done(2);
        return;
    }
    m_machine = m_model->CreateMachine<CEraseConfigStateMachine>();
    if (!m_machine) {
        PopupError(*m_model, m_prompt, IDS_RESET_ERROR_CAPTION, ResourceString(IDS_MAINT_BUSY));
        m_result = Result::IoPending;
        done(3);
        return;
    }
    m_model->m_completion.AddObserver(this);
    m_running = true;
    m_status->setText(ResourceString(IDS_RESET_RUNNING));
    BeginWait();
    m_machine->StartResetConfiguration();
}

void CEraseConfigDlg::OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra)
{
    (void)extra;
    if (eventId != m_model->m_completion.EventId() || !m_running)
        return;
    m_running = false;
    m_model->m_completion.RemoveObserver(this);
    EndWait();
    m_result = static_cast<DWORD>(index);
    if (m_result == 0) {
        m_model->Status(ResourceString(IDS_RESET_DONE));
        done(1);
    } else if (m_result == Result::Cancelled) {
        m_model->Status(ResourceString(IDS_RESET_CANCELLED));
        done(2);
    } else {
        m_model->Status(ResourceString(IDS_RESET_FAILED));
        ShowErrorBox(m_prompt, m_result, IDS_RESET_ERROR_CAPTION);
        done(3);
    }
}

void CEraseConfigDlg::reject()
{
    // A running reset stops at its next command; its completion closes the dialog.
    if (m_running && m_machine && m_machine->Cancel())
        return;
    if (!m_running) {
        m_result = Result::Cancelled;
        done(2);
    }
}

void CEraseConfigDlg::ApplyWaitCursor(bool wait)
{
    ApplyDialogWaitCursor(this, m_cancel, wait);
}
