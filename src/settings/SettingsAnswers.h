#pragma once
// The settings' answers and set commands: pure functions on the wire text.
//
// Every answer begins with the setting's set prefix (its query without the ";": "^aeab" for
// "^aeab;"), compared without regard to case, and ends with ";":
//   per band, digits   the prefix, exactly 11 digits (160 m first), ";"    ^AEAB12121212121;
//   per band, numbers  the prefix, 11 numbers separated by spaces or commas, ";"
//                      (a separator right after the prefix is allowed: the set command writes
//                      one there)                                          ^ABAB08 08 08 ... 08;
//   flag               the prefix, then "0" or "1", trailing spaces aside   ^AA1;
//   text               the rest after the prefix, white space and ";" trimmed at both ends
// An answer that breaks any of these rules, or holds a value outside the setting's range, is
// rejected whole: no value is taken from it.
#include "settings/SettingsTable.h"
#include <QByteArray>

namespace SettingsAnswers {
bool Parse(const SettingInfo& info, const QByteArray& prefix, const QByteArray& answer, SettingValue* value);

// The set command followed by the query, for one write: "^apab 01 02 01 ... 01;^apab;",
// "^aa1;^aa;", "^btHELLO;^bt;". Per-band values go out as " %02u" (" %03u" for the SWR
// thresholds), flags as "%u", texts as they are (the caller has checked them).
QByteArray BuildSetCommand(const SettingInfo& info, const QByteArray& query, const SettingValue& value);

// The query's set prefix: the query without its final ";".
QByteArray SetPrefix(const QByteArray& query);
} // namespace SettingsAnswers
