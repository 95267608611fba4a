#include "firmware/ConfigBackup.h"
#include "config/ConfigFileFormat.h"
#include <QDir>
#include <QFileInfo>

namespace ConfigBackup {
QString FileName(CModelBase& model, const QDateTime& timeStamp)
{
    QString folder = model.m_configurationFolder.m_value;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = model.DefaultConfigurationFolder();
    return QDir::toNativeSeparators(
        QDir(folder).filePath(ConfigFile::DefaultFileName(model.m_serialNumber.m_value, timeStamp)));
}
} // namespace ConfigBackup
