#include "ui/ConfigBackupOffer.h"
#include "ui/ConfigSaveDlg.h"
#include "config/ConfigBackup.h"
#include "link/BackupOffer.h"
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
    const BackupOffer::Texts texts {ResourceString(IDS_BACKUP_CAPTION),
        FormatResource(IDS_BACKUP_QUESTION, ResourceString(operationId), fileName), ResourceString(IDS_BACKUP_SKIPPED),
        IDS_BACKUP_SAVED, IDS_BACKUP_FAILED_CONTINUE};
    const auto save = [&](QString* fileToSave) -> DWORD {
        const QString name = *fileToSave;
        DWORD code = Result::GenFailure;
        int saved = 3;
        if (m_runner) {
            saved = m_runner(parent, name, &code);
        } else {
            CConfigSaveDlg dialog(
                m_model, m_prompt, parent, [name](QWidget*, const QString&, const QString&) { return name; });
            saved = dialog.exec();
            code = dialog.ResultCode();
        }
        return saved == 1 ? 0 : saved == 2 ? Result::Cancelled : (code != 0 ? code : Result::GenFailure);
    };
    const BackupOffer::Outcome outcome = BackupOffer::Offer(
        *m_model, *m_prompt, texts, fileName, save, [this](const QString& line) { m_model->Status(line); });
    if (outcome == BackupOffer::Outcome::Saved)
        m_savedFile = fileName;
    // Stopped: nothing was done, and the next attempt asks again.
    if (!BackupOffer::MayGoOn(outcome))
        m_offered = false;
    return BackupOffer::MayGoOn(outcome);
}
