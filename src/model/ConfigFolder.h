#pragma once
#include <QString>

class CModelBase;

namespace ConfigFile {
// The folder the file dialogs start in: "ConfigurationFolder", first set to the default
// configuration folder when it is empty. While the remembered folder is not there (a USB stick
// not plugged in), the default serves this time, a status line says so, and the setting stays.
QString InitialFolder(CModelBase& model);
// Remembers the folder of a file that was saved, or read for a restore; a file in the default
// folder standing in for a missing one leaves the remembered folder as it is.
void RememberFolder(CModelBase& model, const QString& fileName);
} // namespace ConfigFile
