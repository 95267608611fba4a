#include "firmware/FirmwareFiles.h"
#include "firmware/FileNameParts.h"
#include <QDir>

void CFirmwareFiles::Reset()
{
    m_firmwareFile = {};
    m_releaseNotesFile = {};
}

bool CFirmwareFiles::IsFirmwareFile(const QString& name)
{
    if (FileNameParts::Extension(name).compare(QLatin1String(kFirmwareExtension), Qt::CaseInsensitive) != 0)
        return false;
    const QString title = FileNameParts::Title(name);
    if (!title.startsWith(QLatin1String(kFirmwareBaseName), Qt::CaseInsensitive))
        return false;
    return !title.endsWith('B', Qt::CaseInsensitive);
}

bool CFirmwareFiles::IsReleaseNotesFile(const QString& name)
{
    return FileNameParts::Name(name).compare(QLatin1String(kReleaseNotesName), Qt::CaseInsensitive) == 0;
}

bool CFirmwareFiles::IsWanted(const CRevisionedFileName& file) const
{
    if (IsReleaseNotesFile(file.m_fileName))
        return true;
    if (!IsFirmwareFile(file.m_fileName))
        return false;
    if (!HasFirmwareFile())
        return true;
    return file.m_revision > m_firmwareFile.m_revision;
}

void CFirmwareFiles::AddToCopyList(const QString& name, QStringList* list) const
{
    if (IsReleaseNotesFile(name)) {
        list->append(name);
        return;
    }
    // A title ending in "B" is not loadable, so it must not take the place of one that is.
    if (!IsFirmwareFile(name))
        return;
    const WORD revision = FileNameParts::Revision(name);
    if (HasFirmwareFile() && revision <= m_firmwareFile.m_revision)
        return;
    for (QString& listed : *list) {
        if (!IsFirmwareFile(listed))
            continue;
        if (FileNameParts::Revision(listed) < revision)
            listed = name;
        return;
    }
    list->append(name);
}

void CFirmwareFiles::Consider(const QString& path)
{
    if (IsReleaseNotesFile(path)) {
        m_releaseNotesFile = CRevisionedFileName {path, 0};
        return;
    }
    const CRevisionedFileName file = FileNameParts::Revisioned(path);
    if (IsWanted(file))
        m_firmwareFile = file;
}

QString CFirmwareFiles::JoinPath(const QString& folder, const QString& name)
{
    if (folder.isEmpty() || folder.endsWith('/') || folder.endsWith('\\'))
        return folder + name;
    return folder + QDir::separator() + name;
}

bool CFirmwareFiles::ScanFolder(const QString& folder)
{
    Reset();
    if (folder.isEmpty())
        return false;
    const QDir dir(folder);
    if (!dir.exists() || !dir.isReadable())
        return false;
    // Name order makes ties between equal revisions the same on every system.
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString& name : names)
        Consider(JoinPath(folder, name));
    return true;
}
