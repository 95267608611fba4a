#include "config/ConfigFolder.h"
#include "model/ModelBase.h"
#include <QDir>
#include <QFileInfo>

namespace ConfigFile {
QString InitialFolder(CModelBase& model)
{
    const QString folder = model.m_configurationFolder.m_value;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        model.m_configurationFolder.Set(model.DefaultConfigurationFolder());
    return model.m_configurationFolder.m_value;
}

void RememberFolder(CModelBase& model, const QString& fileName)
{
    model.m_configurationFolder.Set(QDir::toNativeSeparators(QFileInfo(fileName).absolutePath()));
}
} // namespace ConfigFile
