// The MQTT endpoint on the station poll in virtual time, publishing to Debian's own broker: a
// change goes out in the cycle that reads it, an unchanged reading again after 30 s and not
// before, nothing while the readings are not current.
#include "station/mqtt/MqttEndpoint.h"
#include "MqttBroker.h"
#include "StationBench.h"

TEST(MqttEndpoint, PublishesAChangeInTheCycleThatReadsItAndNothingThatIsNotCurrent)
{
    EnsureApplication();
    CMqttBroker broker;
    ASSERT_TRUE(broker.Start());
    CMqttSubscriber subscriber(broker, {"qro4000/#"});
    Station station;
    CVirtualEventHost& host = station.host;
    CStationPoll& poll = station.poll;
    auto& device = station.device;
    CMqttEndpoint::Options options;
    options.broker.host = QStringLiteral("127.0.0.1");
    options.broker.port = broker.Port();
    QStringList log;
    CMqttEndpoint endpoint(host, poll, options, [&log](const QString& line) { log << line; });
    int cycles = 0;
    poll.Subscribe([&cycles]() { ++cycles; });
    endpoint.Start();
    const QString topics = QStringLiteral("qro4000/01234/");
    // Virtual time stands still while the broker is reached: the readings go out on connecting.
    ASSERT_GE(subscriber.WaitFor(topics + "fault", "0"), 0) << log.join('\n').toStdString();

    // The amplifier trips between two cycles: the next cycle's end publishes it, with no more
    // virtual time passing.
    device->GetFaults().amplifierFault = 0x91;
    ASSERT_TRUE(host.RunUntil([&, before = cycles]() { return cycles > before; }, 5000));
    const int tripped = subscriber.WaitFor(topics + "fault", "145");
    ASSERT_GE(tripped, 0);
    EXPECT_GE(subscriber.WaitFor(topics + "fault_name", "HIGH SWR"), 0);
    // Unchanged, it is published again once 30 s have passed.
    host.Advance(CMqttEndpoint::kRefreshMs - 1000);
    host.Advance(2000);
    EXPECT_GE(subscriber.WaitFor(topics + "fault", "145", tripped + 1), 0);

    // Silent: "offline" (after all that went before on the same connection), and no reading
    // until the amplifier answers again and "online" has been said.
    device->GetFaults().silent = true;
    ASSERT_TRUE(host.RunUntil([&]() { return poll.State() == CStationPoll::Link::Lost; }, 30000));
    const int offline = subscriber.WaitFor(topics + "availability", "offline");
    ASSERT_GE(offline, 0);
    const auto faults = std::count_if(subscriber.Messages().begin(), subscriber.Messages().begin() + offline,
        [&](const MqttMessage& m) { return m.topic == topics + "fault" && m.payload == "145"; });
    EXPECT_EQ(faults, 2);
    host.Advance(CMqttEndpoint::kRefreshMs + 1000); // longer than any refresh
    device->GetFaults().silent = false;
    // Back, the amplifier is asked who it is again before its topics are used.
    ASSERT_TRUE(host.RunUntil([&]() { return poll.Fresh(); }, 30000));
    host.Advance(1000);
    const int online = subscriber.WaitFor(topics + "availability", "online", offline);
    ASSERT_GE(online, 0);
    for (int i = offline + 1; i < online; ++i)
        ADD_FAILURE() << "published while not current: " << subscriber.Messages()[i].topic.toStdString();
    EXPECT_GE(subscriber.WaitFor(topics + "forward_w", {}, online), 0);
}
