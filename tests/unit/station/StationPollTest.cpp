// The station server's own poll through the arbiter, against the simulated amplifier in
// virtual time: the one source of readings and requests for every endpoint.
#include "StationBench.h"
#include "model/ResultCode.h"
#include <gtest/gtest.h>
#include <memory>
#include <optional>

namespace {
class StationPollTest : public ::testing::Test, public Station {
public:
    StationPollTest() : Station(QString()) { }
    // Runs until `done` reports, answers what it reported.
    std::optional<DWORD> Await(const std::function<void(std::function<void(DWORD)>)>& request)
    {
        std::optional<DWORD> outcome;
        request([&outcome](DWORD result) { outcome = result; });
        host.RunUntil([&]() { return outcome.has_value(); }, 30000);
        return outcome;
    }
};
} // namespace

TEST_F(StationPollTest, ReadingsAreCurrentOnlyWhileCyclesAnswer)
{
    int cycles = 0;
    poll.Subscribe([&cycles]() { ++cycles; });
    const OperateSnapshot& r = poll.Readings();
    ASSERT_TRUE(r.forwardW && r.swrTenths && r.temperatureC && r.band && r.powerOn && r.display);
    EXPECT_TRUE(*r.powerOn);
    EXPECT_GT(*r.forwardW, 0u);
    EXPECT_EQ(poll.SerialNumber(), 1234u);
    host.Advance(3000);
    EXPECT_GE(cycles, 8); // one cycle every 300 ms
    EXPECT_TRUE(poll.Fresh());

    // The amplifier goes silent: within two intervals the readings are no longer current.
    device->GetFaults().silent = true;
    ASSERT_TRUE(host.RunUntil([&]() { return !poll.Fresh(); }, 10000));
    ASSERT_TRUE(host.RunUntil([&]() { return poll.State() == CStationPoll::Link::Lost; }, 30000));
    device->GetFaults().silent = false;
    ASSERT_TRUE(host.RunUntil([&]() { return poll.Fresh(); }, 30000));
}

TEST_F(StationPollTest, KeysGoOutOnceAndPowerIsVerifiedByReadingBack)
{
    device->ClearLogs();
    EXPECT_EQ(Await([&](auto done) { poll.PressKey(OperateKey::Mode, done); }), 0u);
    EXPECT_EQ(device->ReceivedLog().count("^BPT"), 1);
    EXPECT_EQ(Await([&](auto done) { poll.SelectBand(9, done); }), Result::RequestNotTaken); // 28 MHz: no key

    EXPECT_EQ(Await([&](auto done) { poll.SetPower(false, done); }), 0u);
    EXPECT_EQ(poll.Readings().powerOn, false);
    EXPECT_TRUE(device->ReceivedLog().contains("^on0;"));
    // Switched off, keys are dropped, not sent.
    device->ClearLogs();
    EXPECT_EQ(Await([&](auto done) { poll.PressKey(OperateKey::Mode, done); }), Result::AmplifierOff);
    EXPECT_FALSE(device->ReceivedLog().contains("^BP"));
    EXPECT_EQ(Await([&](auto done) { poll.SetPower(true, done); }), 0u);
    EXPECT_EQ(poll.Readings().powerOn, true);
}
