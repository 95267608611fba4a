// Band following on the station poll against the simulated amplifier, in virtual time: a soak
// of 500 radio changes with the PTT toggling.
#include "StationBench.h"
#include "operate/follow/BandFollower.h"
#include <gtest/gtest.h>
#include <random>

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
