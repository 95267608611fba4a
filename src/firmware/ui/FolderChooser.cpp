#include "firmware/ui/FolderChooser.h"
#include <QDir>
#include <QFileDialog>

FolderChooser QtFolderChooser()
{
    return [](QWidget* parent, const QString& title, const QString& start) {
        const QString folder = QFileDialog::getExistingDirectory(parent, title, start, QFileDialog::ShowDirsOnly);
        return folder.isEmpty() ? folder : QDir::toNativeSeparators(folder);
    };
}
