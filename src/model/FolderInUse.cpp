#include "model/FolderInUse.h"
#include "model/StringTable.h"
#include <QFileInfo>

namespace FolderInUse {
QString Choose(const QString& remembered, const QString& fallback, QString* note)
{
    if (note)
        note->clear();
    if (remembered.isEmpty() || QFileInfo(remembered).isDir())
        return remembered.isEmpty() ? fallback : remembered;
    if (note)
        *note = FormatResource(IDS_FOLDER_STAND_IN, remembered, fallback);
    return fallback;
}
} // namespace FolderInUse
