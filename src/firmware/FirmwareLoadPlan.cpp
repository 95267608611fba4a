#include "firmware/FirmwareLoadPlan.h"
#include "firmware/FileNameParts.h"
#include "firmware/FirmwareImage.h"
#include "firmware/FirmwareStringIds.h"
#include "firmware/RevisionOrder.h"
#include "model/DeviceName.h"
#include "model/RevisionText.h"
#include "model/StringTable.h"

namespace FirmwareLoadPlan {
QString CheckImage(const QString& fileName)
{
    CFirmwareImage image;
    return image.LoadForLoader(fileName) ? QString() : image.ErrorText();
}

QString CheckDevice(const CModel& model)
{
    if (model.m_firmwareStatus.m_value == FirmwareNone && !model.IsOtherDevice())
        return FormatResource(IDS_NOT_RESPONDING, ProductName());
    if (!model.IsExpectedDevice())
        return FormatResource(IDS_FW_WRONG_DEVICE, DeviceName(model.m_device.m_value), ProductName(), ProductName());
    return {};
}

bool IsDowngrade(const CModel& model, const CRevisionedFileName& file)
{
    return model.m_firmwareStatus.m_value == FirmwareApplication
        && FirmwareRevision::Compare(model.m_firmwareRevision.m_value, file.m_revision) == RevisionOrder::Older;
}

QString DowngradeCaption()
{
    return ResourceString(IDS_FW_DOWNGRADE_CAPTION);
}

QString DowngradeQuestion(const CModel& model, const CRevisionedFileName& file)
{
    return FormatResource(IDS_FW_DOWNGRADE_QUESTION, FileNameParts::Name(file.m_fileName),
        RevisionText(file.m_revision), RevisionText(model.m_firmwareRevision.m_value), ProductName());
}

QString DowngradeRefused(const CModel& model, const CRevisionedFileName& file)
{
    return FormatResource(IDS_FW_CLI_DOWNGRADE_REFUSED, FileNameParts::Name(file.m_fileName),
        RevisionText(file.m_revision), RevisionText(model.m_firmwareRevision.m_value), ProductName());
}

bool OffersBackup(const CModel& model)
{
    return model.m_firmwareStatus.m_value == FirmwareApplication;
}

BackupOffer::Texts BackupTexts(const QString& fileName, bool askWhenSaveFails)
{
    return {ResourceString(IDS_FW_BACKUP_CAPTION), FormatResource(IDS_FW_BACKUP_QUESTION, ProductName(), fileName),
        ResourceString(IDS_FW_BACKUP_SKIPPED), IDS_FW_BACKUP_SAVED,
        askWhenSaveFails ? unsigned(IDS_FW_BACKUP_FAILED_CONTINUE) : 0u};
}
} // namespace FirmwareLoadPlan
