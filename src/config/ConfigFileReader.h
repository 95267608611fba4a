#pragma once
#include "config/ConfigFileInfo.h"
#include "config/ConfigReceiver.h"
#include "config/Crc32.h"
#include <QByteArray>
#include <QString>
#include <string_view>

// Reads a configuration file, checks it and hands its records to a receiver. The file is fed
// in pieces of any size; lines end at each line feed and carriage returns are dropped
// wherever they are. A rejected file stops at the first fault with its message:
//   441 a memory line that does not parse (count above 64, wrong digits, wrong length) or a
//       line longer than any valid line             -> 0xE2000031
//   154 the serial number line is not "key = n"    -> 0xE2000031
//   215 the "CRC32" line is malformed or wrong      -> 0xE2000031
//   272 no memory line, or none after the last memory line's "CRC32" line -> 0xE2000030
// The receiver gets records as they are read, so a caller that must not act on a rejected
// file acts only once Finish() has answered 0.
class CConfigFileReader {
public:
    // `amplifierSerial` is the serial number of the amplifier in contact (0xFFFF: none, and the
    // file's serial number is then not checked).
    CConfigFileReader(WORD amplifierSerial, IConfigReceiver* receiver);

    // Answers 0 to go on, or the code that rejects the file (further input is then ignored).
    DWORD Feed(const char* data, std::size_t size);
    // The end of the file: a last line without a line feed is not taken.
    DWORD Finish();

    DWORD Result() const { return m_result; }
    const QString& Message() const { return m_message; }
    const CConfigFileInfo& Info() const { return m_info; }

private:
    DWORD ProcessLine(std::string_view line);
    DWORD Reject(DWORD code, const QString& message);

    WORD m_amplifierSerial;
    IConfigReceiver* m_receiver;
    QByteArray m_line;
    CCrc32 m_crc;
    bool m_crcPending = true;
    bool m_dataSeen = false;
    DWORD m_result = 0;
    QString m_message;
    CConfigFileInfo m_info;
    QByteArray m_serialKey;
    QByteArray m_utilityKey;
    QByteArray m_firmwareKey;
};

// Reads the file with the reader above. Answers 0, 0xE2000030, 0xE2000031 or the platform
// error of opening or reading it; `message` receives the text to show for a failure.
DWORD ReadConfigFile(const QString& fileName, WORD amplifierSerial, IConfigReceiver* receiver, QString* message,
    CConfigFileInfo* info = nullptr);

// Reads the whole file first and hands its records to `receiver` only if it is accepted: a
// rejected file leaves the receiver untouched. This is how a file reaches the restore.
DWORD LoadConfigFile(const QString& fileName, WORD amplifierSerial, IConfigReceiver& receiver, QString* message,
    CConfigFileInfo* info = nullptr);
