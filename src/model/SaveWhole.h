#pragma once
#include "model/Types.h"
#include <QByteArray>
#include <QString>

// Writes `bytes` to `fileName` whole or not at all: the destination is checked first
// (FileChecks::CheckSaveDestination), the bytes go to a temporary file beside it, which is
// flushed to the disk and then renamed over the name. A file that was there stays as it was
// when anything fails. Answers 0 or the error code; `message` (may be null) then names the
// failed call and the file ("WriteFile ... <shownName>"), `shownName` defaulting to the name.
DWORD SaveWhole(const QString& fileName, const QByteArray& bytes, QString* message,
    const QString& shownName = QString());
