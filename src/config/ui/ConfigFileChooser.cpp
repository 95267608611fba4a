#include "config/ui/ConfigFileChooser.h"
#include "model/ModelBase.h"
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace ConfigFileDialogs {
ConfigFileChooser SaveChooser()
{
    return [](QWidget* parent, const QString& offered, const QString& filter) {
        return QFileDialog::getSaveFileName(parent, QString(), offered, filter);
    };
}

ConfigFileChooser OpenChooser()
{
    return [](QWidget* parent, const QString& offered, const QString& filter) {
        return QFileDialog::getOpenFileName(parent, QString(), offered, filter);
    };
}

QString InitialFolder(CModelBase& model)
{
    const QString folder = model.m_configurationFolder.m_value;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        model.m_configurationFolder.Set(model.DefaultConfigurationFolder());
    return model.m_configurationFolder.m_value;
}
}  // namespace ConfigFileDialogs
