#pragma once
// The amplifier's clock on the wire and on screen. Pure functions.
//   query  "^cc;"   answer "^CC" YY-MM-DD "T" HH:MM:SS ";"   ("^CC24-03-05T14:07:09;")
//   set    "^cc" YY-MM-DD "T" HH:MM:SS ";"                   (no answer)
#include "model/Types.h"
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <optional>

namespace ClockText {
// Reads an answer in the clock's format exactly ("^CC" in either case, two digits per field,
// "-", "T", ":" where they belong, ";" at the end), with month 0-12, day 0-31, hour 0-23 and
// minute and second 0-59 (a clock never set reads 00-00-00T00:00:00). Anything else is no
// time: empty. The year is the amplifier's two-digit year; day of week and milliseconds are 0.
std::optional<SYSTEMTIME> ParseAnswer(const QByteArray& answer);
// "^cc%02u-%02u-%02uT%02u:%02u:%02u;" with the year modulo 100.
QByteArray BuildSetCommand(const SYSTEMTIME& time);
// "%02u-%02u-%02u %02u:%02u:%02u" with the year modulo 100.
QString Format(const SYSTEMTIME& time);

SYSTEMTIME FromDateTime(const QDateTime& time);
// The computer's clock now, as universal time or as local time.
SYSTEMTIME ComputerTime(bool utc);
// The calendar time, taking a two-digit year as 2000 + year; empty for a date that does not exist
// (an amplifier whose clock was never set reads 00-00-00).
std::optional<QDateTime> ToDateTime(const SYSTEMTIME& time);
// The amplifier's clock minus the computer's, in whole seconds; empty when either is no date.
std::optional<qint64> DifferenceSeconds(const SYSTEMTIME& amplifier, const SYSTEMTIME& computer);
// The difference as every front end says it: "in step" within a second either way (the
// amplifier answers in whole seconds, ticking apart from the computer's clock, so one second
// comes and goes from one reading to the next and means nothing), else how far it is ahead or
// behind; empty when it is not known.
QString DifferenceText(const std::optional<qint64>& seconds);
} // namespace ClockText
