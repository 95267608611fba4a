#pragma once
// Parsers of the amplifier's identity answers. Pure functions on the received text.
#include "model/Types.h"
#include <QByteArray>
#include <optional>

namespace Answers {
// "^RV" (exact case), two digits, ".", two digits, ";": "^RV01.23;" is revision 123.
bool ParseRevision(const QByteArray& answer, WORD* revision);
// "^SN" in either case, then a decimal number (as ParseDecimal) within 0..65535.
bool ParseSerialNumber(const QByteArray& answer, WORD* serialNumber);
// A decimal number as the amplifier writes it after a command name, the rest of the answer from
// `from` on: leading spaces, an optional sign, digits (none give 0), trailing spaces, then the
// answer's ";" and nothing after it. Anything else ("13=9;", "=;", "12") makes the answer
// damaged: nothing. Values beyond 32 bits come back as 2^32 (out of every caller's range).
std::optional<long long> ParseDecimal(const QByteArray& text, qsizetype from);
}  // namespace Answers
