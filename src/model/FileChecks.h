#pragma once
#include "model/Types.h"
#include <QString>

// Checks made on a file before the program opens it: what they refuse would otherwise block,
// run for ever or replace something that is not the program's to replace. Each answers 0 or a
// result code, and `message` then receives a sentence that names the file and the cause.
namespace FileChecks {
// An input file: anything that is not a regular file is refused before it is opened (a FIFO
// blocks the open until a writer comes, a device never ends), and so is a file larger than
// `maxBytes`. Symbolic links are followed.
DWORD CheckInputFile(const QString& path, qint64 maxBytes, QString* message);

// A file about to be written through a temporary file that is renamed over it: an existing
// destination that is not a regular file (a device, a FIFO, a folder) is refused, since the
// rename would replace it. The folder must exist and take a new file: a temporary file is
// created there and removed again, so an unwritable place fails before the amplifier is read.
// A symbolic link to a regular file is fine.
DWORD CheckSaveDestination(const QString& path, QString* message);

// Makes a folder and the folders above it that are missing: 0, or why not (access denied for a
// place the user may not write, a path not found where a file stands in the way).
DWORD MakeFolder(const QString& path);
} // namespace FileChecks
