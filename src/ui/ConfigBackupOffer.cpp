#include "ui/ConfigBackupOffer.h"
#include "ui/ConfigSaveDlg.h"
#include "config/ConfigBackup.h"
#include "maintenance/MaintenanceStringIds.h"
#include "model/ErrorText.h"
#include "model/ResultCode.h"
#include "model/StringTable.h"
#include <QDateTime>

CConfigBackupOffer::CConfigBackupOffer(CModel* model, IUserPrompt* prompt)
    : m_model(model)
    , m_prompt(prompt)
{
}

QString CConfigBackupOffer::FileName(CModelBase& model, const QDateTime& timeStamp)
{
    return ConfigBackup::FileName(model, timeStamp);
}

bool CConfigBackupOffer::Offer(QWidget* parent, unsigned operationId)
{
    if (m_model->m_firmwareStatus.m_value != FirmwareApplication || !m_prompt)
        return true;
    m_offered = true;
    const QString fileName = ConfigBackup::FileName(*m_model, QDateTime::currentDateTime());
    if (!m_prompt->AskYesNo(IUserPrompt::Icon::Question, ResourceString(IDS_BACKUP_CAPTION),
            FormatResource(IDS_BACKUP_QUESTION, ResourceString(operationId), fileName))) {
        m_model->Status(ResourceString(IDS_BACKUP_SKIPPED));
        return true;
    }
    DWORD code = Result::GenFailure;
    int saved = 3;
    if (m_runner) {
        saved = m_runner(parent, fileName, &code);
    } else {
        CConfigSaveDlg dialog(
            m_model, m_prompt, parent, [fileName](QWidget*, const QString&, const QString&) { return fileName; });
        saved = dialog.exec();
        code = dialog.ResultCode();
    }
    if (saved == 1) {
        m_savedFile = fileName;
        m_model->Status(FormatResource(IDS_BACKUP_SAVED, fileName));
        return true;
    }
    if (saved == 2)
        return false; // the user stopped the save: nothing is erased either
    return m_prompt->AskYesNo(IUserPrompt::Icon::Warning, ResourceString(IDS_BACKUP_CAPTION),
        FormatResource(IDS_BACKUP_FAILED_CONTINUE, code, GetErrorText(code)));
}
