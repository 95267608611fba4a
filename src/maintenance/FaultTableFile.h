#pragma once
#include "model/Types.h"
#include <QDateTime>
#include <QString>

namespace FaultTableFile {
// "SN01234.FaultTable.20240305T140709.txt" (without the serial number when none was read).
QString DefaultName(WORD serialNumber, const QDateTime& timeStamp);
// Writes the text as it stands (the lines end in CR LF) through a temporary file renamed over the
// destination, so a failed save leaves an earlier file of that name whole. Answers 0 or the
// platform error; `message` then names the call and the file.
DWORD Write(const QString& fileName, const QString& text, QString* message);
} // namespace FaultTableFile
