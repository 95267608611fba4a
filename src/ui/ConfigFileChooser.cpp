#include "ui/ConfigFileChooser.h"
#include <QFileDialog>

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
} // namespace ConfigFileDialogs
