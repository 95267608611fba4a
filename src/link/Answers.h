#pragma once
// Parsers of the amplifier's identity answers. Pure functions on the received text.
#include "model/Types.h"
#include <QByteArray>

namespace Answers {
// "^RV" (exact case), two digits, ".", two digits, ";": "^RV01.23;" is revision 123.
bool ParseRevision(const QByteArray& answer, WORD* revision);
// "^SN" in either case, then a decimal number (leading spaces and a sign allowed, reading
// stops at the first non-digit, no digits read as 0) within 0..65535.
bool ParseSerialNumber(const QByteArray& answer, WORD* serialNumber);
// A decimal number as the amplifier writes it after a command name: leading spaces, an
// optional sign, digits up to the first other character; no digits give 0.
long long ParseDecimal(const QByteArray& text, qsizetype from);
}  // namespace Answers
