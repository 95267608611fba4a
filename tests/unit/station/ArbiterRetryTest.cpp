// A client of the station server asking again for a lost answer, against the simulated
// amplifier in virtual time.
#include "StationBench.h"

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
        Station s({}, false);
        Client a, b;
        const auto idA = s.arbiter.AddClient(&a, QStringLiteral("A"));
        const auto idB = s.arbiter.AddClient(&b, QStringLiteral("B"));
        s.device->GetFaults().dropAnswerNumber = 1;
        s.arbiter.Submit(idA, "^sn;");
        s.host.Advance(200);
        s.arbiter.Submit(sameClient ? idA : idB, "^sn;");
        s.host.Advance(100);
        EXPECT_EQ((sameClient ? a : b).received, sameClient ? QByteArray("^SN01234;") : QByteArray()) << sameClient;
        s.host.Advance(1000);
        EXPECT_EQ(sameClient ? b.received : a.received, QByteArray()) << sameClient;
    }
}
