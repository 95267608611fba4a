// The power switch's MQTT message on arbitrary bytes: only "on" and "off" are commands, and the
// log's copy of any payload is short, printable ASCII and names the cut.
#include "station/mqtt/MqttTopics.h"
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray payload(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<bool> command = MqttTopics::ParsePowerCommand(payload);
    if (command.has_value() != (payload == "on" || payload == "off"))
        std::abort();
    if (command && *command != (payload == "on"))
        std::abort();
    const QString shown = MqttTopics::Printable(payload);
    if (shown.size() > 40 + 4 + 3)
        std::abort();
    for (const QChar c : shown)
        if (c.unicode() < 0x20 || c.unicode() >= 0x7F)
            std::abort();
    if (payload.size() <= 10 && shown.endsWith(QLatin1String("...")) != payload.endsWith("..."))
        std::abort();
    return 0;
}
