#pragma once
#include "config/ConfigMemorySource.h"
#include "model/Types.h"
#include <QByteArray>
#include <QDateTime>
#include <QString>

class CModelBase;

// What the header lines of a configuration file say about the save.
struct CConfigFileHeader {
    QDateTime timeStamp; // local time the save began
    WORD serialNumber = kNoSerialNumber; // no serial number line when 0xFFFF
    WORD firmwareRevision = 0;
};

// The whole text of a configuration file: header lines, one "MEM4" line per 64 bytes of the
// save regions, each line ended by CR LF, and the "CRC32" line.
QByteArray FormatConfigFile(const CConfigFileHeader& header, const IConfigMemorySource& source);

// Writes the file through a temporary file in the same folder, which replaces `fileName`
// only once every line is written and flushed to the disk: a failed write leaves an earlier
// file of that name as it was and no partial file behind. Answers 0 or the platform error;
// `message` then receives "<call> failed on "<file>" ..." (string 204).
DWORD WriteConfigFile(const CConfigFileHeader& header, const QString& fileName, const IConfigMemorySource& source,
    QString* message = nullptr);
// The header from the model: its serial number and firmware revision.
DWORD WriteConfigFile(const CModelBase& model, const QString& fileName, const QDateTime& timeStamp,
    const IConfigMemorySource& source, QString* message = nullptr);
