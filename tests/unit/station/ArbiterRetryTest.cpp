// A client of the station server asking again for a lost answer, against the simulated
// amplifier in virtual time.
#include "link/VirtualEventHost.h"
#include "sim/SimDevice.h"
#include "sim/SimPort.h"
#include "station/LineArbiter.h"
#include <gtest/gtest.h>

namespace {
struct Client : IArbiterClient {
    void OnLineData(const QByteArray& bytes) override { received += bytes; }
    void OnLineBusy(LineLease) override { }
    QByteArray received;
};
} // namespace

// The asker's own repetition ends the wait at once; another client's same command waits its turn.
TEST(ArbiterRetry, TheAskersRepetitionEndsTheWaitForALostAnswer)
{
    for (const bool sameClient : {true, false}) {
        CVirtualEventHost host;
        CSimDevice::Options options;
        options.answerDelayMs = 1;
        auto device = std::make_shared<CSimDevice>(host, options);
        CSimPort port(host, device);
        CLineArbiter arbiter(host);
        port.SetNotify([&] { arbiter.OnPortReadable(); });
        port.Open(QStringLiteral("SIM"), true);
        port.SetSpeed(options.speed);
        arbiter.AttachPort(&port, false);
        Client a, b;
        const auto idA = arbiter.AddClient(&a, QStringLiteral("A"));
        const auto idB = arbiter.AddClient(&b, QStringLiteral("B"));
        device->GetFaults().dropAnswerNumber = 1;
        arbiter.Submit(idA, "^sn;");
        host.Advance(200);
        arbiter.Submit(sameClient ? idA : idB, "^sn;");
        host.Advance(100);
        EXPECT_EQ((sameClient ? a : b).received, sameClient ? QByteArray("^SN01234;") : QByteArray()) << sameClient;
        host.Advance(1000);
        EXPECT_EQ(sameClient ? b.received : a.received, QByteArray()) << sameClient;
    }
}
