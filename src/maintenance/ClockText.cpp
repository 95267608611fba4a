#include "maintenance/ClockText.h"
#include "maintenance/MaintenanceStringIds.h"
#include "model/StringTable.h"

namespace ClockText {
std::optional<SYSTEMTIME> ParseAnswer(const QByteArray& answer)
{
    static constexpr char kPattern[] = "^CCdd-dd-ddTdd:dd:dd;";
    constexpr qsizetype kLength = sizeof kPattern - 1;
    if (answer.size() != kLength)
        return std::nullopt;
    for (qsizetype i = 0; i < kLength; ++i) {
        const char c = answer[i];
        const bool fits = kPattern[i] == 'd' ? (c >= '0' && c <= '9')
            : (i == 1 || i == 2)             ? (c == kPattern[i] || c == kPattern[i] + ('a' - 'A'))
                                             : c == kPattern[i];
        if (!fits)
            return std::nullopt;
    }
    const auto field = [&answer](qsizetype at) { return static_cast<WORD>(10 * (answer[at] - '0') + answer[at + 1] - '0'); };
    SYSTEMTIME t;
    t.wYear = field(3);
    t.wMonth = field(6);
    t.wDay = field(9);
    t.wHour = field(12);
    t.wMinute = field(15);
    t.wSecond = field(18);
    if (t.wMonth > 12 || t.wDay > 31 || t.wHour > 23 || t.wMinute > 59 || t.wSecond > 59)
        return std::nullopt;
    return t;
}

QByteArray BuildSetCommand(const SYSTEMTIME& t)
{
    return QString::asprintf("^cc%02u-%02u-%02uT%02u:%02u:%02u;", t.wYear % 100u, unsigned(t.wMonth), unsigned(t.wDay),
        unsigned(t.wHour), unsigned(t.wMinute), unsigned(t.wSecond))
        .toLatin1();
}

QString Format(const SYSTEMTIME& t)
{
    return QString::asprintf("%02u-%02u-%02u %02u:%02u:%02u", t.wYear % 100u, unsigned(t.wMonth), unsigned(t.wDay),
        unsigned(t.wHour), unsigned(t.wMinute), unsigned(t.wSecond));
}

SYSTEMTIME FromDateTime(const QDateTime& time)
{
    const QDate d = time.date();
    const QTime c = time.time();
    SYSTEMTIME t;
    t.wYear = static_cast<WORD>(d.year());
    t.wMonth = static_cast<WORD>(d.month());
    t.wDayOfWeek = static_cast<WORD>(d.dayOfWeek() % 7);
    t.wDay = static_cast<WORD>(d.day());
    t.wHour = static_cast<WORD>(c.hour());
    t.wMinute = static_cast<WORD>(c.minute());
    t.wSecond = static_cast<WORD>(c.second());
    t.wMilliseconds = static_cast<WORD>(c.msec());
    return t;
}

SYSTEMTIME ComputerTime(bool utc)
{
    return FromDateTime(utc ? QDateTime::currentDateTimeUtc() : QDateTime::currentDateTime());
}

std::optional<QDateTime> ToDateTime(const SYSTEMTIME& t)
{
    const int year = t.wYear < 100 ? 2000 + t.wYear : t.wYear;
    const QDate date(year, t.wMonth, t.wDay);
    const QTime time(t.wHour, t.wMinute, t.wSecond);
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    // Both clocks are compared as written, whatever zone they keep.
    return QDateTime(date, time, Qt::UTC);
}

std::optional<qint64> DifferenceSeconds(const SYSTEMTIME& amplifier, const SYSTEMTIME& computer)
{
    SYSTEMTIME pc = computer;
    pc.wMilliseconds = 0;
    const auto a = ToDateTime(amplifier);
    const auto c = ToDateTime(pc);
    if (!a || !c)
        return std::nullopt;
    return c->secsTo(*a);
}

QString DifferenceText(const std::optional<qint64>& seconds)
{
    if (!seconds)
        return {};
    if (*seconds >= -1 && *seconds <= 1)
        return ResourceString(IDS_DT_IN_STEP);
    return FormatResource(*seconds < 0 ? IDS_DT_BEHIND : IDS_DT_AHEAD,
        static_cast<unsigned long long>(*seconds < 0 ? -*seconds : *seconds));
}
} // namespace ClockText
