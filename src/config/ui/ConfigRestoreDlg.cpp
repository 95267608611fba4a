#include "config/ui/ConfigRestoreDlg.h"
#include "config/ConfigFileFormat.h"
#include "config/ConfigFileReader.h"
#include "model/ConfigFolder.h"
#include "config/ConfigRestoreReport.h"
#include "config/ConfigRestoreStateMachine.h"
#include "config/ConfigStringIds.h"
#include "config/LinkSummary.h"
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include "ui/ErrorBox.h"
#include <QDir>
#include <QPushButton>

CConfigRestoreDlg::CConfigRestoreDlg(CModel* model, IUserPrompt* prompt, QWidget* parent, ConfigFileChooser chooser)
    : CConfigProgressDlg(model, prompt, parent, std::move(chooser), QStringLiteral("ConfigRestoreDlg"),
        IDS_CONFIG_RESTORE_CAPTION, IDS_CONFIG_RESTORING)
{
}

void CConfigRestoreDlg::Run()
{
    auto* machine = CreateMachine<CConfigRestoreStateMachine>();
    if (!machine)
        return;
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
    CConfigFileInfo info;
    m_result = LoadConfigFile(m_fileName, m_model->m_serialNumber.m_value, *machine, &message, &info);
    if (m_result != 0) {
        PopupError(*m_model, m_prompt, IDS_RESTORE_ERROR_CAPTION, message);
        ReleaseMachine();
        done(3);
        return;
    }
    ConfigFile::RememberFolder(*m_model, m_fileName);
    // What will be written, and whether the amplifier's own bytes are kept, before anything is.
    const QStringList summary
        = ConfigRestoreReport::Summary(m_fileName, info, m_model->m_serialNumber.m_value, *machine);
    if (!m_prompt
        || !m_prompt->AskYesNo(IUserPrompt::Icon::Question, ResourceString(IDS_CONFIG_RESTORE_CAPTION),
            summary.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n\r\n")
                + ResourceString(IDS_CONFIG_CLI_CONFIRM))) {
        m_model->Status(ResourceString(IDS_CONFIG_CLI_NOT_CONFIRMED));
        ReleaseMachine();
        m_result = Result::Cancelled;
        done(2);
        return;
    }
    BeginRunning();
    machine->Start();
}

void CConfigRestoreDlg::OnCompletion(DWORD result)
{
    m_cancel->setText(ResourceString(IDS_CLOSE));
    EndWait();
    m_result = result;
    const auto* machine = static_cast<const CConfigRestoreStateMachine*>(Machine());
    const QString readBack = machine ? LinkSummary::RestoreLine(machine->Link()) : QString();
    if (result == 0) {
        m_model->Status(ResourceString(IDS_CONFIG_RESTORED));
        if (!readBack.isEmpty())
            m_model->Status(readBack);
        // Confirmed where the user is looking: the dialog stays until it is closed.
        const QString restored = FormatResource(IDS_CONFIG_RESTORED_FROM, QDir::toNativeSeparators(m_fileName));
        ShowOutcome(readBack.isEmpty() ? restored : restored + QStringLiteral("\n") + readBack);
    } else if (result == Result::Cancelled) {
        m_model->Status(ResourceString(IDS_RESTORE_CANCELLED));
        done(2);
    } else {
        if (!readBack.isEmpty())
            m_model->Status(readBack);
        const QString aftermath = machine ? ConfigRestoreReport::Aftermath(*machine, result) : QString();
        ShowFailure(IDS_RESTORE_ERROR_CAPTION, IDS_RESTORE_FAILED, result, QString());
        if (!aftermath.isEmpty()) {
            // As after a cancel: the memory is neither the old nor the new configuration.
            ShowOutcome(OutcomeText() + QStringLiteral("\n\n") + aftermath);
            if (m_prompt)
                m_prompt->ShowMessage(IUserPrompt::Icon::Warning, ResourceString(IDS_CRITICAL_OPERATION), aftermath);
        }
    }
}

void CConfigRestoreDlg::EndWithResult()
{
    done(m_result == 0 ? 1 : m_result == Result::Cancelled ? 2 : 3);
}

void CConfigRestoreDlg::OnCancel()
{
    IStateMachine* machine = Machine();
    if (!machine || machine->IsIdle()) {
        EndWithResult();
        return;
    }
    // Stopping part way leaves the memory half written: ask, and say what to do next.
    if (!m_prompt
        || !m_prompt->AskYesNo(
            IUserPrompt::Icon::Warning, ResourceString(IDS_CRITICAL_OPERATION), ResourceString(IDS_INTERRUPT_RESTORE)))
        return;
    if (machine->Cancel() && m_prompt)
        m_prompt->ShowMessage(IUserPrompt::Icon::Warning, ResourceString(IDS_CRITICAL_OPERATION),
            ResourceString(IDS_RESTORE_CANCELLED_POWER_CYCLE));
}
