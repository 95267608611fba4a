#pragma once
// Helpers of the configuration tests: memory images with a recognisable pattern, files written
// from them, and texts split into lines.
#include "config/ConfigFileReader.h"
#include "config/ConfigFileWriter.h"
#include "config/ConfigImage.h"
#include "config/ConfigMemorySource.h"
#include "TestFiles.h"
#include <QByteArray>
#include <QList>
#include <QString>
#include <vector>

// An image whose byte at a is (a * 7 + (a >> 8) * 13 + seed) mod 256: every line differs.
class CPatternSource : public IConfigMemorySource {
public:
    explicit CPatternSource(unsigned seed = 0);
    const BYTE* GetData(DWORD address, DWORD count) const override;
    std::vector<BYTE> bytes;
};

// The header the tests save with: 2024-01-05 13:45:01, serial 1234, revision 01.53.
CConfigFileHeader TestHeader(WORD serialNumber = 1234);

// A file's lines without their terminators (CR LF or LF).
QList<QByteArray> SplitLines(const QByteArray& text);
// Lines joined with CR LF, each ended by it.
QByteArray JoinLines(const QList<QByteArray>& lines, const char* terminator = "\r\n");
// The "CRC32 = 0x%08X" line for these lines (every line but CRC lines), by a one-byte-at-a-time
// reference CRC-32 independent of the program's.
QByteArray ReferenceCrcLine(const QList<QByteArray>& lines);
// Replaces the last line (the CRC line) with one computed over the others.
QByteArray WithFreshCrc(QList<QByteArray> lines);

// Reads text through the reader; answers the result, the message and the image.
struct CReadOutcome {
    DWORD result = 0;
    QString message;
    CConfigImage image;
    CConfigFileInfo info;
};
CReadOutcome ReadText(const QByteArray& text, WORD amplifierSerial = 1234);
