#pragma once
#include "config/ConfigFileInfo.h"
#include "config/ConfigReceiver.h"
#include "config/Crc32.h"
#include <QByteArray>
#include <QString>
#include <string_view>
#include <vector>

// Reads a configuration file, checks it and hands its records to a receiver. The file is fed
// in pieces of any size; lines end at each line feed and carriage returns are dropped
// wherever they are. A rejected file stops at the first fault with its message:
//   441 a memory line that does not parse (count above 64, wrong digits, wrong length) or a
//       line longer than any valid line             -> 0xE2000031
//   154 the serial number line is not "key = n"    -> 0xE2000031
//   215 the "CRC32" line is malformed or wrong      -> 0xE2000031
//   272 no memory line, or none after the last memory line's "CRC32" line -> 0xE2000030
// and, since a file may only describe the configuration memory once, with the line named:
//   a memory line that repeats or overlaps addresses of an earlier one   -> 0xE2000075
//   a memory line that reaches past the 256 KiB configuration memory     -> 0xE2000076
// So an accepted file never carries more than the memory's 0x40000 bytes: a crafted file
// cannot make a restore write for hours, and no address is written twice with different bytes.
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
    // Marks [address, address + count) as given; refuses bytes outside the memory or given twice.
    DWORD ClaimAddresses(DWORD address, DWORD count);

    WORD m_amplifierSerial;
    IConfigReceiver* m_receiver;
    QByteArray m_line;
    CCrc32 m_crc;
    bool m_crcPending = true;
    bool m_dataSeen = false;
    DWORD m_result = 0;
    QString m_message;
    CConfigFileInfo m_info;
    std::vector<std::uint64_t> m_given; // one bit per byte of the memory
    QByteArray m_serialKey;
    QByteArray m_utilityKey;
    QByteArray m_firmwareKey;
};

// The largest configuration file read: files this program writes are about 540 KB, and the
// older one-byte and 16-bit address forms hold at most 64 KiB of data in under 2 MB. Anything
// larger is refused before it is read.
constexpr qint64 kMaxConfigFileBytes = 8 * 1024 * 1024;

// The text of a configuration file, read whole once the file has passed the input checks (a
// regular file of at most kMaxConfigFileBytes: a FIFO or a device would block or never end).
// Answers 0 or the reason, with `message` naming the file and the cause.
DWORD ReadConfigText(const QString& fileName, QByteArray* text, QString* message);

// Checks a text as the reader above does. Answers 0, 0xE2000030, 0xE2000031, 0xE2000075 or
// 0xE2000076; `message` receives the text to show for a failure.
DWORD ParseConfigText(const QByteArray& text, WORD amplifierSerial, IConfigReceiver* receiver, QString* message,
    CConfigFileInfo* info = nullptr);

// ReadConfigText, then ParseConfigText.
DWORD ReadConfigFile(const QString& fileName, WORD amplifierSerial, IConfigReceiver* receiver, QString* message,
    CConfigFileInfo* info = nullptr);

// Checks the whole text first and hands its records to `receiver` only if it is accepted: a
// rejected file leaves the receiver untouched. This is how a file reaches the restore.
DWORD LoadConfigText(const QByteArray& text, WORD amplifierSerial, IConfigReceiver& receiver, QString* message,
    CConfigFileInfo* info = nullptr);
DWORD LoadConfigFile(const QString& fileName, WORD amplifierSerial, IConfigReceiver& receiver, QString* message,
    CConfigFileInfo* info = nullptr);
