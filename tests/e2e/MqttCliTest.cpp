// "qro4000 serve --mqtt" with Debian's own broker and subscriber: readings, retained discovery
// and availability, the broker killed and started again, and the power switch with and without
// --mqtt-control.
#include "CliProcess.h"
#include "MqttBroker.h"
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {
const QString kTopics = QStringLiteral("qro4000/01234/");

class MqttServe : public CliTest {
protected:
    void SetUp() override
    {
        CliTest::SetUp();
        ASSERT_TRUE(m_broker.Start());
    }
    void Serve(const QStringList& extra = {})
    {
        Start(m_server, QStringList {"-p", "SIM", "serve", "--share", "off", "--mqtt", m_broker.Address()} + extra);
    }
    void Send(const QString& topic, const QString& payload)
    {
        EXPECT_EQ(QProcess::execute(QStringLiteral("/usr/bin/mosquitto_pub"),
                      {"-h", "127.0.0.1", "-p", QString::number(m_broker.Port()), "-t", topic, "-m", payload}),
            0);
    }

    CMqttBroker m_broker;
    CChild m_server;
};
} // namespace

TEST_F(MqttServe, PublishesReadingsAndRetainedDiscoveryAndComesBackWithTheBroker)
{
    CMqttSubscriber readings(m_broker, {"qro4000/#"});
    Serve();
    // Every reading of the simulated amplifier, as a plain value.
    const std::pair<const char*, const char*> values[] = {{"forward_w", "\\d+"}, {"reflected_w", "\\d+"},
        {"input_w", "\\d+"}, {"swr", "\\d\\.\\d"}, {"temperature_c", "\\d+"}, {"pa_current_a", "\\d+"},
        {"pa_voltage_v", "\\d\\d\\.\\d"}, {"frequency_khz", "14\\d\\d\\d"}, {"band_mhz", "14"}, {"antenna", "1"},
        {"operate", "1"}, {"power", "1"}, {"fault", "0"}, {"fault_name", "none"}, {"display", "(?s).+"}};
    for (const auto& [name, pattern] : values) {
        const int at = readings.WaitFor(kTopics + name);
        ASSERT_GE(at, 0) << name << "\n" << m_server.err.toStdString();
        const QString got = QString::fromUtf8(readings.Messages()[at].payload);
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^(?:%1)$").arg(pattern)).match(got).hasMatch())
            << name << " = " << got.toStdString();
    }
    ASSERT_GE(readings.WaitFor(kTopics + "availability", "online"), 0);

    // A subscriber that comes later finds the availability and one discovery config per
    // reading, retained, all of one device.
    CMqttSubscriber late(m_broker, {"homeassistant/#", kTopics + "availability"});
    ASSERT_GE(late.WaitFor(kTopics + "availability", "online"), 0);
    const auto configs = [&late]() {
        return std::count_if(late.Messages().begin(), late.Messages().end(),
            [](const MqttMessage& message) { return message.topic.endsWith("/config"); });
    };
    EXPECT_TRUE(RunEventsUntil([&]() { return configs() == 15; }, 20000)) << configs();
    for (const MqttMessage& message : late.Messages()) {
        EXPECT_TRUE(message.retained) << message.topic.toStdString();
        const QJsonObject config = QJsonDocument::fromJson(message.payload).object();
        if (message.topic.endsWith("/config")) {
            EXPECT_EQ(
                config["device"].toObject()["identifiers"].toVariant().toStringList(), QStringList {"qro4000_01234"});
            EXPECT_EQ(config["availability_topic"].toString(), kTopics + "availability");
        }
        if (message.topic == "homeassistant/sensor/qro4000_01234/forward_w/config") {
            EXPECT_EQ(config["unit_of_measurement"].toString(), "W");
            EXPECT_EQ(config["device_class"].toString(), "power");
            EXPECT_EQ(config["state_class"].toString(), "measurement");
        }
    }
    EXPECT_GE(late.WaitFor("homeassistant/binary_sensor/qro4000_01234/power/config"), 0);

    // Without --mqtt-control nobody listens on the set topic.
    Send(kTopics + "power/set", "off");

    m_broker.Kill();
    EXPECT_TRUE(m_server.WaitForErr("Lost the MQTT broker at " + m_broker.Address())) << m_server.err.toStdString();
    ASSERT_TRUE(m_broker.Start());
    // Publishing resumes on its own: the retained configs again, and the readings, of an
    // amplifier that stayed switched on.
    CMqttSubscriber after(m_broker, {"homeassistant/#", "qro4000/#"});
    EXPECT_GE(after.WaitFor("homeassistant/sensor/qro4000_01234/forward_w/config"), 0) << m_server.err.toStdString();
    EXPECT_GE(after.WaitFor(kTopics + "availability", "online"), 0);
    EXPECT_GE(after.WaitFor(kTopics + "forward_w"), 0);
    EXPECT_GE(after.WaitFor(kTopics + "power", "1"), 0);
    m_server.WaitUntil([] { return true; }); // reads what has come
    EXPECT_THAT(m_server.err, ::testing::Not(HasText("Switching the amplifier")));

    // SIGTERM: "offline", retained, before the server leaves.
    m_server.Process().terminate();
    EXPECT_EQ(Finish(m_server, 10000).exitCode, 0);
    EXPECT_GE(after.WaitFor(kTopics + "availability", "offline"), 0);
}

TEST_F(MqttServe, WithControlOffSwitchesTheAmplifierOffAndOtherWordsAreIgnored)
{
    CMqttSubscriber readings(m_broker, {"qro4000/#", "homeassistant/switch/#"});
    Serve({"--mqtt-control", "--mqtt-prefix", "qro4000"});
    ASSERT_GE(readings.WaitFor(kTopics + "power", "1"), 0) << m_server.err.toStdString();
    const int config = readings.WaitFor("homeassistant/switch/qro4000_01234/power/config");
    ASSERT_GE(config, 0);
    EXPECT_EQ(QJsonDocument::fromJson(readings.Messages()[config].payload)["command_topic"].toString(),
        kTopics + "power/set");

    Send(kTopics + "power/set", "OFF");
    EXPECT_TRUE(m_server.WaitForErr("Ignored \"OFF\"")) << m_server.err.toStdString();
    const std::size_t before = readings.Messages().size();
    Send(kTopics + "power/set", "off");
    EXPECT_GE(readings.WaitFor(kTopics + "power", "0", before), 0) << m_server.err.toStdString();
    EXPECT_TRUE(m_server.WaitForErr("The amplifier is switched off as asked on"));
    // Switched off, the amplifier reads nothing else: its readings are no longer published.
    const std::size_t off = readings.Messages().size();
    Send(kTopics + "power/set", "on");
    const int on = readings.WaitFor(kTopics + "power", "1", off);
    ASSERT_GE(on, 0) << m_server.err.toStdString();
    for (std::size_t i = off; i < std::size_t(on); ++i)
        EXPECT_FALSE(readings.Messages()[i].topic.endsWith("forward_w")) << i;
}
