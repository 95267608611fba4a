#pragma once
#include <QString>
#include <functional>

class QWidget;

// Asks the user for a configuration file: the parent window, the path offered (folder, or
// folder and default name) and the filter. Answers the chosen path, or an empty text when the
// user cancelled. The dialogs take one so that tests can choose without a native dialog.
using ConfigFileChooser = std::function<QString(QWidget* parent, const QString& offered, const QString& filter)>;

namespace ConfigFileDialogs {
// Qt's save dialog; it asks before replacing an existing file.
ConfigFileChooser SaveChooser();
// Qt's open dialog; only existing files can be chosen.
ConfigFileChooser OpenChooser();
} // namespace ConfigFileDialogs
