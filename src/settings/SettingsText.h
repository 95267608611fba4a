#pragma once
// Settings as people write them, on the command line and in settings profiles, and the checks
// every value passes before it may be sent.
//
//   per band     11 values separated by commas, 160 m first ("1,1,2,2,1,1,1,1,1,1,1"); one
//                value alone stands for every band
//   thresholds   SWR with one decimal, 1.0 to 99.9 ("3.0,2.5,...")
//   flags        on or off (1/0, yes/no and true/false are taken too)
//   texts        as they are, without white space at either end
//
// A text goes into its command verbatim, so a ";" or "^" in it would end the command early and
// send the rest as a command of its own (a banner of "X;^ec" would erase the configuration).
// Such texts, control characters, characters outside printable ASCII and texts longer than the
// setting's limit are refused; network addresses must be dotted IPv4 and the port 1 to 65535.
#include "model/Model.h"
#include "settings/SettingsTable.h"

namespace SettingsText {
QString Format(const SettingInfo& info, const SettingValue& value);

// Reads a value; false with a message (a sentence part without the setting's name) when the
// text is not one the setting can take. Addresses and ports come back in their plain form
// ("192.168.001.010" becomes "192.168.1.10").
bool Parse(const SettingInfo& info, const QString& text, SettingValue* value, QString* message);

// Why the value cannot be sent; empty when it can.
QString Check(const SettingInfo& info, const SettingValue& value);
QString CheckText(const SettingInfo& info, const QString& text);
// The range a per-band number must lie in, as a sentence part.
QString RangeMessage(const SettingInfo& info);

// The same setting value, whatever its spelling: addresses and ports compare in their plain
// form, texts without white space at the ends.
bool Equivalent(const SettingInfo& info, const SettingValue& a, const SettingValue& b);

// The first pending copy that differs from its current value and cannot be sent, with the
// reason; false when every pending change can go to the amplifier.
bool FindRefusedPending(const CModel& model, SettingId* id, QString* message);
} // namespace SettingsText
