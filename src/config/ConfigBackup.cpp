#include "config/ConfigBackup.h"
#include "config/ConfigFileFormat.h"
#include "model/ConfigFolder.h"
#include <QDir>

namespace ConfigBackup {
QString FileName(CModelBase& model, const QDateTime& timeStamp)
{
    // The folder and name the configuration save itself would offer.
    return QDir::toNativeSeparators(
        QDir(ConfigFile::InitialFolder(model))
            .filePath(ConfigFile::DefaultFileName(model.m_serialNumber.m_value, timeStamp)));
}
} // namespace ConfigBackup
