#include "cli/CliContext.h"
#include "cli/FirmwareCommand.h"
#include "firmware/FileNameParts.h"
#include "firmware/FirmwareFiles.h"
#include "firmware/FirmwareStringIds.h"
#include "firmware/RevisionOrder.h"
#include "model/FolderInUse.h"
#include "model/RevisionText.h"
#include "model/StringTable.h"
#include <QJsonDocument>
#include <QJsonObject>

int RunFirmwareStatus(CCliContext& context, const CCliArguments&)
{
    CModel& model = context.Model();
    QString note;
    const QString folder = FolderInUse::Choose(model.m_firmwareFolder.m_value, model.DefaultFirmwareFolder(), &note);
    if (!note.isEmpty())
        context.Err(note);
    CFirmwareFiles files;
    files.ScanFolder(folder);

    const DWORD contact = context.Connect();
    const int status = contact == 0 ? model.m_firmwareStatus.m_value : FirmwareNone;
    const WORD installed = model.m_firmwareRevision.m_value;
    const bool compare = status == FirmwareApplication && files.HasFirmwareFile();
    const RevisionOrder order
        = compare ? FirmwareRevision::Compare(installed, files.FirmwareFile().m_revision) : RevisionOrder::Unknown;
    const bool newer = order == RevisionOrder::Newer;

    if (context.GetOptions().json) {
        QJsonObject o {{"firmware",
                           status == FirmwareApplication      ? "application"
                               : status == FirmwareBootLoader ? "boot loader"
                                                              : "not responding"},
            {"installed", status == FirmwareApplication ? RevisionText(installed) : QString()}, {"folder", folder},
            {"newestFile", files.FirmwareFile().m_fileName},
            {"available", files.HasFirmwareFile() ? RevisionText(files.FirmwareFile().m_revision) : QString()},
            {"releaseNotes", files.HasReleaseNotesFile()}, {"newerAvailable", newer}};
        context.Out(QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact)));
    } else {
        if (status == FirmwareApplication)
            context.Out(FormatResource(IDS_FW_CLI_INSTALLED, ProductName(), RevisionText(installed)));
        else if (status == FirmwareBootLoader)
            context.Out(FormatResource(IDS_FW_CLI_INSTALLED_BOOT, ProductName()));
        else
            context.Out(FormatResource(IDS_FW_CLI_INSTALLED_NONE, ProductName(), ProductName()));
        context.Out(FormatResource(IDS_FW_CLI_FOLDER, folder));
        if (files.HasFirmwareFile())
            context.Out(FormatResource(IDS_FW_CLI_NEWEST, FileNameParts::Name(files.FirmwareFile().m_fileName),
                RevisionText(files.FirmwareFile().m_revision)));
        else
            context.Out(ResourceString(IDS_FW_CLI_NEWEST_NONE));
        context.Out(FormatResource(IDS_FW_CLI_NOTES,
            ResourceString(files.HasReleaseNotesFile() ? IDS_FW_CLI_NOTES_PRESENT : IDS_FW_CLI_NOTES_MISSING)));
        if (compare)
            context.Out(ResourceString(newer        ? IDS_FW_CLI_UPDATE_AVAILABLE
                    : order == RevisionOrder::Older ? IDS_FW_OLDER_IN_FOLDER
                                                    : IDS_FW_CLI_UP_TO_DATE));
    }
    if (contact != 0)
        return context.ReportFailure(contact);
    return ExitSuccess;
}
