#include "station/mqtt/MqttTopics.h"
#include "model/FaultNames.h"
#include "model/StringTable.h"
#include "operate/OperateKeys.h"
#include "operate/OperateText.h"
#include "station/mqtt/MqttStringIds.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
enum class Kind { Sensor, Binary, Power };

// Home Assistant's view of each reading: a name, its unit, device class and state class (for
// long-term statistics: only what is measured, not the band or a fault code).
struct Entity {
    const char* name;
    unsigned title;
    Kind kind;
    const char* unit;
    const char* deviceClass;
    const char* stateClass;
};

const Entity kEntities[] = {
    {"forward_w", IDS_MQTT_NAME_FORWARD, Kind::Sensor, "W", "power", "measurement"},
    {"reflected_w", IDS_MQTT_NAME_REFLECTED, Kind::Sensor, "W", "power", "measurement"},
    {"input_w", IDS_MQTT_NAME_INPUT, Kind::Sensor, "W", "power", "measurement"},
    {"swr", IDS_MQTT_NAME_SWR, Kind::Sensor, nullptr, nullptr, "measurement"},
    {"temperature_c", IDS_MQTT_NAME_TEMPERATURE, Kind::Sensor, "\u00B0C", "temperature", "measurement"},
    {"pa_current_a", IDS_MQTT_NAME_CURRENT, Kind::Sensor, "A", "current", "measurement"},
    {"pa_voltage_v", IDS_MQTT_NAME_VOLTAGE, Kind::Sensor, "V", "voltage", "measurement"},
    {"frequency_khz", IDS_MQTT_NAME_FREQUENCY, Kind::Sensor, "kHz", "frequency", "measurement"},
    {"band_mhz", IDS_MQTT_NAME_BAND, Kind::Sensor, "MHz", "frequency", nullptr},
    {"antenna", IDS_MQTT_NAME_ANTENNA, Kind::Sensor, nullptr, nullptr, nullptr},
    {"operate", IDS_MQTT_NAME_OPERATE, Kind::Binary, nullptr, "running", nullptr},
    {"power", IDS_MQTT_NAME_POWER, Kind::Power, nullptr, "power", nullptr},
    {"fault", IDS_MQTT_NAME_FAULT, Kind::Sensor, nullptr, nullptr, nullptr},
    {"fault_name", IDS_MQTT_NAME_FAULT_NAME, Kind::Sensor, nullptr, nullptr, nullptr},
    {"display", IDS_MQTT_NAME_DISPLAY, Kind::Sensor, nullptr, nullptr, nullptr},
};

QByteArray Number(unsigned value)
{
    return QByteArray::number(value);
}

QString NodeId(const MqttTopics::Device& device)
{
    return QStringLiteral("qro4000_") + device.serial;
}

QByteArray ConfigTopic(const MqttTopics::Device& device, const char* component, const char* name)
{
    return (device.discoveryPrefix + QLatin1Char('/') + QLatin1String(component) + QLatin1Char('/') + NodeId(device)
        + QLatin1Char('/') + QLatin1String(name) + QStringLiteral("/config"))
        .toUtf8();
}
} // namespace

namespace MqttTopics {
QString SerialText(unsigned serial)
{
    return QStringLiteral("%1").arg(serial, 5, 10, QLatin1Char('0'));
}

QByteArray Topic(const Device& device, const char* name)
{
    return (device.prefix + QLatin1Char('/') + device.serial + QLatin1Char('/') + QLatin1String(name)).toUtf8();
}

std::vector<std::pair<const char*, QByteArray>> Values(const OperateSnapshot& r)
{
    std::vector<std::pair<const char*, QByteArray>> values;
    const auto add = [&values](const char* name, const std::optional<unsigned>& value) {
        if (value)
            values.emplace_back(name, Number(*value));
    };
    add("forward_w", r.forwardW);
    add("reflected_w", r.reflectedW);
    add("input_w", r.inputW);
    if (r.swrTenths && !OperateText::Swr(static_cast<WORD>(*r.swrTenths)).isEmpty())
        values.emplace_back("swr", OperateText::Swr(static_cast<WORD>(*r.swrTenths)).toLatin1());
    add("temperature_c", r.temperatureC);
    add("pa_current_a", r.paCurrentA);
    if (r.paVoltageMv)
        values.emplace_back("pa_voltage_v", OperateText::Voltage(*r.paVoltageMv).toLatin1());
    if (r.frequencyKhz && *r.frequencyKhz != 0)
        values.emplace_back("frequency_khz", Number(*r.frequencyKhz));
    if (r.band && !OperateKeys::BandLabel(*r.band).isEmpty())
        values.emplace_back("band_mhz", OperateKeys::BandLabel(*r.band).toLatin1());
    add("antenna", r.antenna);
    if (r.operate)
        values.emplace_back("operate", *r.operate ? "1" : "0");
    if (r.powerOn)
        values.emplace_back("power", *r.powerOn ? "1" : "0");
    if (r.faultCode) {
        values.emplace_back("fault", Number(*r.faultCode));
        values.emplace_back("fault_name",
            *r.faultCode == 0 ? QByteArray("none") : FaultCodeName(static_cast<BYTE>(*r.faultCode)).toUtf8());
    }
    if (r.display) {
        QString text = *r.display;
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        values.emplace_back("display", text.trimmed().toUtf8());
    }
    return values;
}

std::vector<Message> DiscoveryConfigs(const Device& device)
{
    QJsonObject deviceEntry {
        {"identifiers", QJsonArray {NodeId(device)}},
        {"name", FormatResource(IDS_MQTT_DEVICE, device.serial)},
        {"manufacturer", QStringLiteral("Brimwell")},
        {"model", QStringLiteral("QRO4000")},
    };
    if (device.firmwareRevision != 0)
        deviceEntry.insert(QStringLiteral("sw_version"),
            QStringLiteral("%1.%2")
                .arg(device.firmwareRevision / 100, 2, 10, QLatin1Char('0'))
                .arg(device.firmwareRevision % 100, 2, 10, QLatin1Char('0')));
    const QString availability = QString::fromUtf8(Topic(device, "availability"));

    std::vector<Message> configs;
    for (const Entity& entity : kEntities) {
        QJsonObject config {
            {"name", ResourceString(entity.title)},
            {"unique_id", NodeId(device) + QLatin1Char('_') + QLatin1String(entity.name)},
            {"state_topic", QString::fromUtf8(Topic(device, entity.name))},
            {"availability_topic", availability},
            {"payload_available", QStringLiteral("online")},
            {"payload_not_available", QStringLiteral("offline")},
            {"device", deviceEntry},
        };
        if (entity.unit)
            config.insert(QStringLiteral("unit_of_measurement"), QString::fromUtf8(entity.unit));
        if (entity.stateClass)
            config.insert(QStringLiteral("state_class"), QLatin1String(entity.stateClass));
        const char* component = "sensor";
        const char* unused = nullptr;
        if (entity.kind == Kind::Binary || (entity.kind == Kind::Power && !device.control)) {
            component = "binary_sensor";
            config.insert(QStringLiteral("payload_on"), QStringLiteral("1"));
            config.insert(QStringLiteral("payload_off"), QStringLiteral("0"));
            if (entity.kind == Kind::Power)
                unused = "switch";
        } else if (entity.kind == Kind::Power) {
            component = "switch";
            unused = "binary_sensor";
            config.insert(QStringLiteral("command_topic"), QString::fromUtf8(Topic(device, "power/set")));
            config.insert(QStringLiteral("payload_on"), QStringLiteral("on"));
            config.insert(QStringLiteral("payload_off"), QStringLiteral("off"));
            config.insert(QStringLiteral("state_on"), QStringLiteral("1"));
            config.insert(QStringLiteral("state_off"), QStringLiteral("0"));
        }
        if (entity.deviceClass)
            config.insert(QStringLiteral("device_class"),
                QLatin1String(entity.kind == Kind::Power && device.control ? "switch" : entity.deviceClass));
        configs.push_back(
            {ConfigTopic(device, component, entity.name), QJsonDocument(config).toJson(QJsonDocument::Compact)});
        if (unused)
            configs.push_back({ConfigTopic(device, unused, entity.name), QByteArray()});
    }
    return configs;
}

std::optional<bool> ParsePowerCommand(const QByteArray& payload)
{
    if (payload == "on")
        return true;
    if (payload == "off")
        return false;
    return std::nullopt;
}

QString Printable(const QByteArray& payload)
{
    constexpr qsizetype kShown = 40;
    QString text;
    qsizetype i = 0;
    for (; i < payload.size() && text.size() < kShown; ++i) {
        const auto c = static_cast<unsigned char>(payload[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\')
            text += QLatin1Char(static_cast<char>(c));
        else
            text += QStringLiteral("\\x%1").arg(c, 2, 16, QLatin1Char('0'));
    }
    if (i < payload.size())
        text += QStringLiteral("...");
    return text;
}

bool IsValidPrefix(const QString& prefix)
{
    return !prefix.isEmpty() && !prefix.contains(QLatin1Char('+')) && !prefix.contains(QLatin1Char('#'))
        && !prefix.contains(QChar(0)) && !prefix.startsWith(QLatin1Char('/')) && !prefix.endsWith(QLatin1Char('/'));
}
} // namespace MqttTopics
