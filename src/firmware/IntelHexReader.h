#pragma once
#include "model/Types.h"
#include <QString>

// Reads Intel HEX text in one pass, straight from the mapped file: records 00 to 05, the
// address base from types 02 and 04, data copied into a destination that covers one address
// window (records that start outside it are ignored, records that run past its end are cut).
// Without a destination it only checks the text. Nothing is allocated per line, and a failure
// names the text line of the offending character.
class CIntelHexReader {
public:
    // What a parse saw of the data records, all of them, inside the window or not.
    struct Statistics {
        DWORD records = 0; // records of every type read up to the end record
        DWORD dataRecords = 0;
        DWORD dataBytes = 0; // data bytes of all data records
        DWORD lowestAddress = 0; // first data byte of any record (valid when dataBytes != 0)
        DWORD highestAddress = 0; // last data byte of any record (valid when dataBytes != 0)
        DWORD bytesInWindow = 0; // data bytes that landed inside the window
    };

    // The window is low .. high (high exclusive); destination, when given, receives the byte of
    // address a at destination + (a - low) and ends at destinationEnd.
    CIntelHexReader(DWORD low, DWORD high, BYTE* destination = nullptr, BYTE* destinationEnd = nullptr);

    // Parses a text in memory. False on failure with ErrorCode() and ErrorLine() set.
    bool Parse(const char* begin, const char* end);
    // Maps the file (or, where it cannot be mapped, reads it once) and parses it. Only a regular
    // file of at most kMaxFileBytes is opened: a FIFO would block the open and a device never
    // end, and a huge file would be mapped whole. A file refused so, or that cannot be opened,
    // fails with error line 0: the refusal's code (0xE2000060, 0xE2000061) or the platform's
    // error as 0x8007xxxx, and ErrorMessage() naming the file and the cause.
    bool ParseFile(const QString& fileName);

    // The largest HEX file read. The firmware area holds 512 KiB, about 1.5 MB as HEX text; a
    // file may also carry records for other areas (ignored) and commentary, but nothing a
    // firmware file needs comes near 16 MiB.
    static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

    DWORD ErrorCode() const { return m_errorCode; }
    // Set when the file itself failed (refused, not opened, not read); empty for a parse error.
    const QString& ErrorMessage() const { return m_errorMessage; }
    // The text line (1-based) of the character at which the parse failed; 0 when none.
    DWORD ErrorLine() const { return m_errorLine; }
    const Statistics& Stats() const { return m_stats; }

    static constexpr unsigned kEndOfText = 0xFFFF;

private:
    unsigned ReadChar();
    bool ReadByte(BYTE* value);
    bool ReadRecord();
    bool ReadFields(BYTE* addressHigh, BYTE* addressLow, BYTE* type);
    bool ReadFieldsFast(BYTE* addressHigh, BYTE* addressLow, BYTE* type);
    void StoreData(DWORD address);
    bool FailAt(DWORD code);

    const unsigned char* m_begin = nullptr;
    const unsigned char* m_current = nullptr;
    const unsigned char* m_end = nullptr;
    DWORD m_line = 0; // line feeds read so far (a wrapping 16-bit count would misplace errors)
    DWORD m_column = 0; // characters read on the current line; a record starts in column 1
    DWORD m_base = 0;
    bool m_endSeen = false;
    DWORD m_low;
    DWORD m_high;
    BYTE* m_destination;
    BYTE* m_destinationEnd;

    BYTE m_count = 0;
    BYTE m_sum = 0;
    BYTE m_data[255] = {};

    DWORD m_errorCode = 0;
    DWORD m_errorLine = 0;
    QString m_errorMessage;
    Statistics m_stats;
};

// Checks a HEX file without storing anything: true when it parses to its end record. On
// failure the cause goes to *errorCode and the line to *errorLine (each when asked).
bool ValidateHexFile(const QString& fileName, DWORD* errorLine = nullptr, DWORD* errorCode = nullptr);

// The Win32-numbered error for a file that could not be opened, as a failure code 0x8007xxxx.
DWORD FileOpenErrorCode(const QString& fileName);
