// Band following on the station poll against the simulated amplifier, in virtual time: the
// simulator's receive state, and a soak of 500 radio changes with the PTT toggling.
#include "StationBench.h"
#include "operate/follow/BandFollower.h"
#include "sim/SimOperate.h"
#include <gtest/gtest.h>
#include <random>

TEST(BandFollowStation, TheSimulatorReceivesAndTransmitsInTurn)
{
    Station station(QStringLiteral("transmit=cycle:2"));
    for (const bool transmitting : {true, false}) {
        station.host.RunUntil([&]() { return station.device->Feature<CSimOperate>().Transmitting() == transmitting; }, 5000);
        station.host.Advance(900); // two whole cycles of this half
        const OperateSnapshot& r = station.poll.Readings();
        EXPECT_EQ(r.forwardW > 100u && r.inputW > 0u, transmitting);
        EXPECT_EQ(r.forwardW == 0u && r.inputW == 0u && r.reflectedW == 0u && r.swrTenths == 0u, !transmitting);
    }
}

TEST(BandFollowStation, NoBandKeyWhileTheRadioTransmitsIn500Changes)
{
    Station station(QStringLiteral("transmit=off"));
    bool ptt = false;
    CBandFollower follower(
        [&](int band, std::function<void(DWORD)> done) { station.poll.SelectBand(band, std::move(done)); },
        [&] { station.poll.WithdrawBand(); }, {});
    station.poll.Subscribe([&]() { follower.Amplifier(station.poll.Readings(), station.poll.Fresh()); });
    const qint64 radio[] = {1840000, 3573000, 5357000, 7074000, 10136000, 14074000, 18100000, 21074000, 24915000,
        28074000, 50313000, 145000000};
    std::mt19937 random(29);
    qsizetype keys = 0, keysWhileTransmitting = 0, seen = 0;
    for (int change = 0; change < 500; ++change) {
        if (random() % 2)
            ptt = !ptt;
        follower.Radio(radio[random() % std::size(radio)], ptt);
        // Up to two poll cycles in steps of 5 ms, counting the band keys the amplifier receives.
        for (int step = random() % 120; step >= 0; --step) {
            station.host.Advance(5);
            const qsizetype received = station.device->ReceivedLog().mid(seen).count("^BPT");
            seen = station.device->ReceivedLog().size();
            keys += received;
            keysWhileTransmitting += ptt ? received : 0;
        }
    }
    EXPECT_EQ(keysWhileTransmitting, 0);
    EXPECT_GT(keys, 100);
}
