#pragma once
// What the MQTT endpoint publishes, as plain functions of the readings: the topics, the values
// as text and Home Assistant's discovery configs; and the one message it takes, the power
// switch. No broker here: the endpoint sends what these make.
#include "operate/OperateSnapshot.h"
#include <QByteArray>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace MqttTopics {
struct Message {
    QByteArray topic;
    QByteArray payload;
};

// The amplifier as Home Assistant groups its entities, and where its topics live.
struct Device {
    QString prefix; // "qro4000"
    QString discoveryPrefix; // "homeassistant"
    QString serial; // SerialText
    unsigned firmwareRevision = 0; // 153 for 01.53; 0 unknown
    bool control = false; // power/set is listened to
};

// The serial number as the topics carry it: five digits, as the amplifier's "info" shows it.
QString SerialText(unsigned serial);
// PREFIX/SERIAL/NAME.
QByteArray Topic(const Device& device, const char* name);

// The readings the cycle brought, as (name, value) in a fixed order: numbers in decimal, SWR
// and the PA voltage with one decimal, the band in MHz ("3.5"), operate and power 1 or 0, the
// fault code with its name ("none" for 0), the display's lines separated by "\n". A reading
// the cycle did not bring has no entry, and neither has a frequency of 0 (nothing measured).
std::vector<std::pair<const char*, QByteArray>> Values(const OperateSnapshot& readings);

// One retained config per reading under DISCOVERY/COMPONENT/qro4000_SERIAL/NAME/config, all
// with the same device entry and the availability topic. Power is a switch when `control`,
// else a binary sensor; the config topic of the other gets an empty payload, which removes
// that entity from Home Assistant.
std::vector<Message> DiscoveryConfigs(const Device& device);

// The power switch's message: exactly "on" or "off"; anything else is no command.
std::optional<bool> ParsePowerCommand(const QByteArray& payload);
// A message's payload for the log: at most 40 characters, anything outside printable ASCII
// as \xNN, "..." where it was cut.
QString Printable(const QByteArray& payload);

// A topic prefix the endpoint can publish under: not empty, no wildcard (+ #), no NUL, no
// leading or trailing "/".
bool IsValidPrefix(const QString& prefix);
} // namespace MqttTopics
