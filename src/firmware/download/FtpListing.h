#pragma once
// The file server's folder listing (the answer to LIST) and the names in it. The listing is
// whatever the server sends, so every function here takes arbitrary bytes and never fails
// other than by leaving a line out.
#include <QByteArray>
#include <QList>
#include <QString>

struct CFtpListEntry {
    enum class Kind { File, Directory, Other };
    QString name;
    Kind kind = Kind::Other;
    qint64 size = -1; // -1 when the line gives none
};

namespace FtpListing {
// One line in the Unix "ls -l" form ("-rw-r--r-- 1 ftp ftp 1234 Jan 05 12:00 name", where the
// group may be missing and a link reads "name -> target") or the DOS form of Windows servers
// ("01-05-24  12:00PM  <DIR>  name" or a size in place of "<DIR>"). False for anything else,
// such as the "total 12" line. A line end (CR LF or LF) may still be attached.
bool ParseLine(const QByteArray& line, CFtpListEntry* entry);
// Every line that parses, in the server's order. Names are read as UTF-8.
QList<CFtpListEntry> Parse(const QByteArray& listing);

// Whether a name from the server can be written in the firmware folder as it stands: not
// empty, no path separator, no "..", no drive or stream ":" and none of the characters that
// Windows refuses in a file name, no device name (CON, NUL, COM1 ...), no trailing dot or
// space (Windows would drop them and write another file), at most 255 UTF-8 bytes. The rules
// are those of the strictest system the program runs on, so a folder behaves the same on all.
bool IsSafeFileName(const QString& name);
// The name as it can be shown on one log line: control characters become "\xNN", and a name
// too long for a line is cut.
QString Printable(const QString& name);
} // namespace FtpListing
