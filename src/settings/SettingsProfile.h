#pragma once
// Settings profiles: the user-facing settings of one amplifier in a small JSON file, to carry
// them to another (a configuration backup belongs to one unit's serial number; a profile does
// not). The file is what "qro4000 settings --json" prints: one member per setting, named as on
// the command line, each value the text "settings set" takes:
//   { "antenna-enable": "2,2,2,2,1,1,1,1,1,1,1", "banner": "CONTEST", "net-dhcp": "on", ... }
// The MAC address is written for reference and never taken from a profile.
#include "model/Types.h"
#include "settings/SettingsTable.h"
#include <QByteArray>
#include <utility>
#include <vector>

namespace SettingsProfile {
constexpr qint64 kMaxFileBytes = 64 * 1024;

using Values = std::vector<std::pair<SettingId, SettingValue>>;

QByteArray ToJson(const Values& values);
// Reads every setting of a profile, checked as "settings set" checks it; false with a message
// naming the first problem. The MAC address is skipped.
bool FromJson(const QByteArray& json, Values* values, QString* message);

// "NAME=VALUE" as the command line takes it.
bool ParseAssignment(const QString& text, std::pair<SettingId, SettingValue>* assignment, QString* message);

// Write through a temporary file renamed over the destination (the old file survives a
// failure), and read with the input file checks. Both answer 0 or a result code with a
// message that names the file.
DWORD Save(const QString& path, const Values& values, QString* message);
DWORD Load(const QString& path, Values* values, QString* message);
} // namespace SettingsProfile
