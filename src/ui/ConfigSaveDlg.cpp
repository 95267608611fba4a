#include "ui/ConfigSaveDlg.h"
#include "config/ConfigFileFormat.h"
#include "model/ConfigFolder.h"
#include "config/ConfigSaveCompletion.h"
#include "config/ConfigSaveStateMachine.h"
#include "config/ConfigStringIds.h"
#include "config/LinkSummary.h"
#include "model/ErrorText.h"
#include "model/FileChecks.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include "ui/ErrorBox.h"
#include <QDir>
#include <QProgressBar>
#include <QPushButton>

CConfigSaveDlg::CConfigSaveDlg(CModel* model, IUserPrompt* prompt, QWidget* parent, ConfigFileChooser chooser)
    : CConfigProgressDlg(model, prompt, parent, std::move(chooser), QStringLiteral("ConfigSaveDlg"),
        IDS_CONFIG_SAVE_CAPTION, IDS_CONFIG_SAVING)
    , m_timeStamp(QDateTime::currentDateTime())
{
}

void CConfigSaveDlg::Run()
{
    m_progress->setRange(0, static_cast<int>(m_model->m_progressRange.m_value));
    m_model->m_progressPosition.Set(0);

    auto* machine = CreateMachine<CConfigSaveStateMachine>();
    if (!machine)
        return;
    const QString offered = QDir(ConfigFile::InitialFolder(*m_model))
                                .filePath(ConfigFile::DefaultFileName(m_model->m_serialNumber.m_value, m_timeStamp));
    m_fileName = m_chooser(this, offered, ConfigFile::QtFilter());
    if (m_fileName.isEmpty()) {
        // Nothing has been sent to the amplifier.
        m_result = Result::Cancelled;
        done(2);
        return;
    }
    // A destination that cannot take the file fails now, before a minute of reading: a
    // device or FIFO would be replaced, an unwritable folder found out only at the end.
    QString message;
    m_result = FileChecks::CheckSaveDestination(m_fileName, &message);
    if (m_result != 0) {
        ReleaseMachine();
        m_failed = true;
        ShowFailure(IDS_SAVE_ERROR_CAPTION, IDS_SAVE_FAILED, m_result, message);
        return;
    }
    BeginRunning();
    machine->Start();
}

void CConfigSaveDlg::OnCompletion(DWORD result)
{
    QString message;
    const auto& machine = *static_cast<const CConfigSaveStateMachine*>(Machine());
    m_result = CompleteConfigSave(*m_model, machine, result, m_fileName, m_timeStamp, &message);
    EndWait();
    if (m_result == 0) {
        ConfigFile::RememberFolder(*m_model, m_fileName);
        m_model->Status(ResourceString(IDS_CONFIG_SAVED));
        if (const QString confirmed = LinkSummary::SaveLine(machine.Link()); !confirmed.isEmpty())
            m_model->Status(confirmed);
        // The dialog closes at once: the status line keeps where the file went.
        m_model->Status(FormatResource(IDS_CONFIG_CLI_SAVED_TO, QDir::toNativeSeparators(m_fileName)));
        done(1);
    } else if (m_result == Result::Cancelled) {
        m_model->Status(ResourceString(IDS_SAVE_CANCELLED));
        done(2);
    } else {
        m_failed = true;
        ShowFailure(IDS_SAVE_ERROR_CAPTION, IDS_SAVE_FAILED, m_result, message);
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
    if (Machine() && IsRunning() && Machine()->Cancel())
        return;
    m_model->Status(ResourceString(IDS_SAVE_CANCELLED));
    m_result = Result::Cancelled;
    done(2);
}
