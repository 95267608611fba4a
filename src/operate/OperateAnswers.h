#pragma once
// Parsers of the amplifier's answers to the operate queries. Pure functions on the received text:
// `rest` is the answer after its prefix, still ending with ";". Each answers the value, or
// nothing when the answer is to be dropped (the value then keeps what it had, and is not
// current). An answer is dropped when anything but spaces stands between its value and its
// ";": "^PWF13=9;" is damaged, not 13 W.
#include "model/Types.h"
#include <QByteArray>
#include <QString>
#include <optional>

namespace OperateAnswers {
// Whether the answer begins with the prefix, letters compared without regard to case ("^PC12;"
// begins with "^pc").
bool HasPrefix(const QByteArray& answer, const QByteArray& prefix);

// A decimal reading within 0 to 65535 (powers, SWRs, PA current, temperature, frequency).
std::optional<WORD> Word(const QByteArray& rest);
// The PA voltage in millivolts: 0 to 4294967295 (a negative one is dropped).
std::optional<DWORD> Millivolts(const QByteArray& rest);
// The antenna: taken when the low byte of the number is 1 or 2.
std::optional<BYTE> Antenna(const QByteArray& rest);
// The band number 0 to 10.
std::optional<int> Band(const QByteArray& rest);
// "0" or "1".
std::optional<int> Flag(const QByteArray& rest);
// One character, whatever it is (ATU mode, capacitor side); none ("^am;") is dropped.
std::optional<wchar_t> Letter(const QByteArray& rest);
// Two hexadecimal digits (fault and overdrive codes).
std::optional<BYTE> HexByte(const QByteArray& rest);
// Two hexadecimal digits after any white space (relay bytes).
std::optional<BYTE> RelayByte(const QByteArray& rest);
// The display text without the white space and the ";" at its ends; spaces before the final
// ";" stay ("  TUNE  ;" is "TUNE  ").
std::optional<QString> DisplayText(const QByteArray& rest);
} // namespace OperateAnswers
