#include "firmware/download/FtpListing.h"
#include "model/Format.h"
#include <QStringList>
#include <array>

namespace {
struct Token {
    qsizetype begin;
    qsizetype end;
};

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Up to `limit` blank-separated tokens with their places in the line.
QList<Token> Tokens(const QByteArray& line, int limit)
{
    QList<Token> tokens;
    qsizetype i = 0;
    while (i < line.size() && tokens.size() < limit) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i == line.size())
            break;
        const qsizetype begin = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        tokens.append({begin, i});
    }
    return tokens;
}

QByteArray Text(const QByteArray& line, Token t)
{
    return line.mid(t.begin, t.end - t.begin);
}

bool AllDigits(const QByteArray& text, qsizetype minLength, qsizetype maxLength)
{
    if (text.size() < minLength || text.size() > maxLength)
        return false;
    for (char c : text) {
        if (!IsDigit(c))
            return false;
    }
    return true;
}

qint64 SizeOf(const QByteArray& text)
{
    // Eighteen digits cannot overflow; a longer number is no size a server means.
    if (!AllDigits(text, 1, 18))
        return -1;
    return text.toLongLong();
}

bool IsMonth(const QByteArray& text)
{
    static const std::array<const char*, 12> kMonths
        = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (text.size() != 3)
        return false;
    const QByteArray lower = text.toLower();
    for (const char* month : kMonths) {
        if (lower == month)
            return true;
    }
    return false;
}

// "12:00" or a year.
bool IsTimeOrYear(const QByteArray& text)
{
    const qsizetype colon = text.indexOf(':');
    if (colon < 0)
        return AllDigits(text, 4, 4);
    return AllDigits(text.left(colon), 1, 2) && AllDigits(text.mid(colon + 1), 2, 2);
}

QString NameAt(const QByteArray& line, qsizetype begin)
{
    return begin < line.size() ? QString::fromUtf8(line.mid(begin)) : QString();
}

bool ParseUnix(const QByteArray& line, CFtpListEntry* entry)
{
    const QList<Token> tokens = Tokens(line, 9);
    if (tokens.size() < 6)
        return false;
    const QByteArray mode = Text(line, tokens[0]);
    if (mode.size() < 10 || QByteArray("-dlbcps").indexOf(mode[0]) < 0)
        return false;
    // The owner and group columns vary (the group may be missing, names may be numbers), so the
    // date is found by its shape: month, day, then a time or a year, with the size before it.
    for (int m = 2; m + 2 < tokens.size(); ++m) {
        if (!IsMonth(Text(line, tokens[m])) || !AllDigits(Text(line, tokens[m + 1]), 1, 2)
            || !IsTimeOrYear(Text(line, tokens[m + 2])))
            continue;
        const qint64 size = SizeOf(Text(line, tokens[m - 1]));
        if (size < 0)
            return false;
        // One blank separates the date from the name; more belong to the name.
        QString name = NameAt(line, tokens[m + 2].end + 1);
        CFtpListEntry::Kind kind = CFtpListEntry::Kind::Other;
        if (mode[0] == 'd') {
            kind = CFtpListEntry::Kind::Directory;
        } else if (mode[0] == '-') {
            kind = CFtpListEntry::Kind::File;
        } else if (mode[0] == 'l') {
            kind = CFtpListEntry::Kind::File;
            const qsizetype arrow = name.indexOf(QLatin1String(" -> "));
            if (arrow >= 0)
                name.truncate(arrow);
        }
        if (name.isEmpty())
            return false;
        *entry = CFtpListEntry {name, kind, size};
        return true;
    }
    return false;
}

bool ParseDos(const QByteArray& line, CFtpListEntry* entry)
{
    const QList<Token> tokens = Tokens(line, 3);
    if (tokens.size() < 3)
        return false;
    const QByteArray date = Text(line, tokens[0]);
    const QByteArray time = Text(line, tokens[1]);
    const QByteArray sizeOrDir = Text(line, tokens[2]);
    const QList<QByteArray> parts = date.contains('-') ? date.split('-') : date.split('/');
    if (parts.size() != 3 || !AllDigits(parts[0], 1, 2) || !AllDigits(parts[1], 1, 2) || !AllDigits(parts[2], 2, 4))
        return false;
    QByteArray clock = time.toUpper();
    if (clock.endsWith("AM") || clock.endsWith("PM"))
        clock.chop(2);
    if (!clock.contains(':') || !IsTimeOrYear(clock))
        return false;
    CFtpListEntry result;
    if (sizeOrDir.toUpper() == "<DIR>") {
        result.kind = CFtpListEntry::Kind::Directory;
    } else {
        result.size = SizeOf(sizeOrDir);
        if (result.size < 0)
            return false;
        result.kind = CFtpListEntry::Kind::File;
    }
    qsizetype begin = tokens[2].end;
    while (begin < line.size() && IsBlank(line[begin]))
        ++begin;
    result.name = NameAt(line, begin);
    if (result.name.isEmpty())
        return false;
    *entry = result;
    return true;
}

bool IsDeviceName(const QString& name)
{
    // Windows opens the device whatever the extension: "nul.hex" is NUL.
    QString base = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    static const QStringList kPlain = {QStringLiteral("CON"), QStringLiteral("PRN"), QStringLiteral("AUX"),
        QStringLiteral("NUL"), QStringLiteral("CONIN$"), QStringLiteral("CONOUT$")};
    if (kPlain.contains(base))
        return true;
    if (base.size() == 4 && (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT")))) {
        const QChar last = base[3];
        // Windows also takes the superscript digits as port numbers.
        return (last >= QLatin1Char('0') && last <= QLatin1Char('9')) || last == QChar(0x00B9) || last == QChar(0x00B2)
            || last == QChar(0x00B3);
    }
    return false;
}
} // namespace

namespace FtpListing {
bool ParseLine(const QByteArray& raw, CFtpListEntry* entry)
{
    QByteArray line = raw;
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    if (line.isEmpty())
        return false;
    return ParseUnix(line, entry) || ParseDos(line, entry);
}

QList<CFtpListEntry> Parse(const QByteArray& listing)
{
    QList<CFtpListEntry> entries;
    qsizetype begin = 0;
    while (begin < listing.size()) {
        qsizetype end = listing.indexOf('\n', begin);
        if (end < 0)
            end = listing.size();
        CFtpListEntry entry;
        if (ParseLine(listing.mid(begin, end - begin), &entry))
            entries.append(entry);
        begin = end + 1;
    }
    return entries;
}

bool IsSafeFileName(const QString& name)
{
    if (name.isEmpty() || name.contains(QLatin1String("..")) || name.toUtf8().size() > 255)
        return false;
    for (QChar c : name) {
        const char16_t u = c.unicode();
        // U+FFFD stands for bytes that were not UTF-8: the name could not be asked for again.
        if (u < 0x20 || u == 0x7F || u == 0xFFFD)
            return false;
        if (QStringView(u"/\\:*?\"<>|").contains(c))
            return false;
    }
    if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        return false;
    return !IsDeviceName(name);
}

QString Printable(const QString& whole)
{
    const QString name = EchoText(whole);
    QString text;
    text.reserve(name.size());
    for (QChar c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7F)
            text += QString::asprintf("\\x%02X", unsigned(u));
        else
            text += c;
    }
    return text;
}
} // namespace FtpListing
