#pragma once
#include <QString>

class CModelBase;

namespace ConfigFile {
// The folder the file dialogs start in: "ConfigurationFolder", first set to the default
// configuration folder when it is empty or no longer a folder (a stale setting would make the
// file dialog start somewhere arbitrary).
QString InitialFolder(CModelBase& model);
// Remembers the folder of a file that was saved, or read for a restore.
void RememberFolder(CModelBase& model, const QString& fileName);
} // namespace ConfigFile
