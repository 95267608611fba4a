#pragma once
#include <QString>
#include <functional>

class QWidget;

// Asks the user for a folder: the parent window, the title and the folder to start in. Answers
// the chosen folder, or an empty text when the user cancelled. The Firmware page takes one so
// that tests can choose without a native dialog.
using FolderChooser = std::function<QString(QWidget* parent, const QString& title, const QString& start)>;

// Qt's folder dialog.
FolderChooser QtFolderChooser();
