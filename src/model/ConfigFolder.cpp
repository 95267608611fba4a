#include "model/ConfigFolder.h"
#include "model/FolderInUse.h"
#include "model/ModelBase.h"
#include <QDir>
#include <QFileInfo>

namespace ConfigFile {
QString InitialFolder(CModelBase& model)
{
    if (model.m_configurationFolder.m_value.isEmpty())
        model.m_configurationFolder.Set(model.DefaultConfigurationFolder());
    QString note;
    const QString folder
        = FolderInUse::Choose(model.m_configurationFolder.m_value, model.DefaultConfigurationFolder(), &note);
    if (!note.isEmpty())
        model.Status(note);
    return folder;
}

void RememberFolder(CModelBase& model, const QString& fileName)
{
    const QString folder = QDir::toNativeSeparators(QFileInfo(fileName).absolutePath());
    // A file put into the default folder while the remembered one is away (a USB stick not
    // plugged in) says nothing about where the user keeps files: the remembered folder stays.
    const QString remembered = model.m_configurationFolder.m_value;
    if (!remembered.isEmpty() && !QFileInfo(remembered).isDir()
        && QFileInfo(folder) == QFileInfo(model.DefaultConfigurationFolder()))
        return;
    model.m_configurationFolder.Set(folder);
}
} // namespace ConfigFile
