#pragma once
#include <QString>

// Its text is in resources/StringTableFirmware.inc: the number comes from the firmware block.
enum FolderStringId : unsigned {
    IDS_FOLDER_STAND_IN = 1291,
};

namespace FolderInUse {
// The folder to work in now: the remembered one while it is there, otherwise the fallback for
// this time only. The remembered folder is not replaced: one on a USB stick that is not plugged
// in is back next time. `note` receives what to tell the user when the fallback serves, and is
// emptied otherwise.
QString Choose(const QString& remembered, const QString& fallback, QString* note = nullptr);
} // namespace FolderInUse
