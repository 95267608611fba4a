// The arbiter between the station server's clients and the amplifier, against the simulated
// amplifier in virtual time.
#include "StationBench.h"
#include "station/LineCommand.h"

namespace {
struct FakeClient : IArbiterClient {
    void OnLineData(const QByteArray& bytes) override { received += bytes; }
    void OnLineBusy(LineLease lease) override { busy.push_back(lease); }
    QByteArray received;
    std::vector<LineLease> busy;
};

class Arbiter : public ::testing::Test, public Station {
public:
    Arbiter()
        : Station({}, false)
    {
        arbiter.SetBootLeaseEnded([this]() { ++bootLeasesEnded; });
        a = arbiter.AddClient(&clientA, QStringLiteral("A"));
        b = arbiter.AddClient(&clientB, QStringLiteral("B"));
    }
    FakeClient clientA, clientB;
    CLineArbiter::ClientId a = 0, b = 0;
    int bootLeasesEnded = 0;
};
} // namespace

// Hold a key, read a setting back, set the relays, the clock and the banner, flush, erase; the
// waits of "^BPT01;", "^aa1;", "^pc;", ";", "^er", "^em...;^rv;" (after the erase) and an unknown
// command, and the effects of "^ld;", "^on0;" and "^on1;", show in the arbiter's cases below.
TEST(LineCommand, KnowsWhichCommandsAreAnsweredAndHowLongTheyTake)
{
    using LineCommand::Effect;
    struct Row {
        const char* command;
        bool answered;
        DWORD waitMs;
        Effect effect;
    } rows[] = {{"^BPH09;", false, 0, Effect::None}, {"^aa;", true, 1000, Effect::None},
        {"^abAB 01 02 03 04 05 06 07 08 09 10 11;", false, 0, Effect::None}, {"^btHELLO;", false, 0, Effect::None},
        {"^cc24-03-05T09:00:00;", false, 0, Effect::None}, {"^cc;", true, 1000, Effect::None},
        {"^cr1F;", false, 0, Effect::None}, {"^cf;", false, 0, Effect::None}, {"^ecqvmst;", false, 0, Effect::None},
        {"^em051;", false, 0, Effect::EraseMemory}, {"^rv;", true, 1000, Effect::None},
        {"^ew000000100100FF;", true, 4000, Effect::None}, {"\r\n^sn;", true, 1000, Effect::None},
        {"^on;", true, 1000, Effect::PowerQuery}, {"^BR3;", false, 0, Effect::Speed}};
    for (const Row& row : rows) {
        const LineCommand::Rule rule = LineCommand::Classify(QByteArrayView(row.command), false);
        EXPECT_EQ(rule.answered, row.answered) << row.command;
        EXPECT_EQ(rule.waitMs, row.waitMs) << row.command;
        EXPECT_EQ(rule.effect, row.effect) << row.command;
    }
    EXPECT_EQ(LineCommand::Classify("^BR3;", false).speed, 38400u);
    EXPECT_EQ(LineCommand::CommandLength("^sn"), 0);
    EXPECT_EQ(LineCommand::CommandLength("^sn;^rv;"), 4);
}

TEST_F(Arbiter, EachAnswerReachesTheClientThatAskedOneCommandAtATimeInTurns)
{
    device->SetCommandHandler("slow", [](const QByteArray&) { return QByteArray("^SLOW1;"); });
    ASSERT_TRUE(arbiter.Submit(a, "^sn;^rv;^slow;"));
    ASSERT_TRUE(arbiter.Submit(b, "^on;^fl;"));
    host.RunUntilIdle();
    EXPECT_EQ(clientA.received, QByteArray("^SN01234;^RV01.53;^SLOW1;"));
    EXPECT_EQ(clientB.received, QByteArray("^ON1;^FL00;"));
    // Turns alternate, and each command waited for the answer before it.
    EXPECT_EQ(device->ReceivedLog(), QByteArray("^sn;^on;^rv;^fl;^slow;"));
}

TEST_F(Arbiter, UnansweredCommandsCannotKeepTheLineFromOthers)
{
    arbiter.Submit(b, "^rv;"); // holds the line while the others arrive
    arbiter.Submit(a, QByteArray("^BPT01;").repeated(20));
    arbiter.Submit(b, "^sn;");
    host.RunUntilIdle();
    EXPECT_EQ(device->ReceivedLog().indexOf("^sn;"), 4 + CLineArbiter::kMaxTurnLength * 7);
    EXPECT_EQ(clientB.received, QByteArray("^RV01.53;^SN01234;"));
}

TEST_F(Arbiter, TheNextClientWaitsAsLongAsTheAnswerMayTake)
{
    struct Row {
        const char* first;
        std::uint64_t waitMs;
    } rows[] = {{"^zz;", 4000}, {"^pc;", 1000}, {";", 1000}, {"^er0000000040C0;", 4000}, {"^em051;^rv;", 5000},
        {"^BPT01;", 0}, {"^aa1;", 0}};
    device->GetFaults().silent = true;
    for (const Row& row : rows) {
        device->ClearLogs();
        const std::uint64_t start = host.Now();
        arbiter.Submit(a, row.first);
        arbiter.Submit(b, "^sn;");
        ASSERT_TRUE(host.RunUntil([&]() { return device->ReceivedLog().contains("^sn;"); }, 60000)) << row.first;
        EXPECT_EQ(host.Now() - start, row.waitMs) << row.first;
        host.Advance(10000);
    }
}

TEST_F(Arbiter, AClientThatVanishesMidCommandNeverGetsItsAnswerToAnother)
{
    device->GetOptions().answerDelayMs = 500;
    arbiter.Submit(a, "^sn;");
    arbiter.Submit(b, "^rv;");
    host.Advance(100);
    arbiter.RemoveClient(a);
    // A's answer, still on its way, holds the line: B's command goes out after it.
    host.RunUntilIdle();
    EXPECT_EQ(clientB.received, QByteArray("^RV01.53;"));
    EXPECT_EQ(device->ReceivedLog(), QByteArray("^sn;^rv;"));
}

TEST_F(Arbiter, AFloodingClientIsRefusedMoreThanItsShare)
{
    device->GetFaults().silent = true;
    bool accepted = true;
    for (int i = 0; i < 3000 && accepted; ++i)
        accepted = arbiter.Submit(a, "^pc;");
    EXPECT_FALSE(accepted);
    EXPECT_TRUE(arbiter.Submit(b, "^sn;"));
}

TEST_F(Arbiter, AFirmwareLoadHasTheRawLineUntilItLeaves)
{
    arbiter.Submit(a, "^ld;");
    host.Advance(10);
    EXPECT_EQ(arbiter.Lease(), LineLease::BootLoader);
    EXPECT_EQ(clientB.busy, std::vector<LineLease> {LineLease::BootLoader});
    EXPECT_EQ(arbiter.BusyFor(b), LineLease::BootLoader);
    EXPECT_EQ(arbiter.BusyFor(a), LineLease::None);
    // Only the holder changes the line's speed; everyone is told the speed in force.
    EXPECT_EQ(arbiter.RequestSpeed(b, 9600), 38400u);
    EXPECT_EQ(arbiter.RequestSpeed(a, 38400), 38400u);
    arbiter.Submit(b, "^sn;");
    arbiter.Submit(a, "U");
    host.Advance(50);
    EXPECT_EQ(clientA.received, QByteArray("A")); // the boot loader's unlock answer, raw
    EXPECT_TRUE(clientB.received.isEmpty());
    EXPECT_FALSE(device->ReceivedLog().contains("^sn;"));
    arbiter.RemoveClient(a);
    EXPECT_EQ(arbiter.Lease(), LineLease::None);
    EXPECT_EQ(clientB.busy.back(), LineLease::None);
    EXPECT_EQ(bootLeasesEnded, 1);
}

TEST_F(Arbiter, AClientTalkingToAWaitingBootLoaderHasTheLine)
{
    port->WriteText(QStringLiteral("^ld;"));
    host.Advance(10);
    arbiter.AttachPort(port.get(), true);
    arbiter.Submit(a, "^I;");
    host.RunUntilIdle();
    EXPECT_EQ(arbiter.Lease(), LineLease::None) << "an identify query is a command";
    arbiter.Submit(b, "V;");
    host.Advance(10);
    EXPECT_EQ(arbiter.Lease(), LineLease::BootLoader);
    EXPECT_EQ(arbiter.LeaseHolder(), b);
}

TEST_F(Arbiter, APowerCycleHoldsTheOthersUntilItEnds)
{
    struct Row {
        const char* name;
        std::function<void(Arbiter&)> end;
    } rows[] = {
        {"power on", [](Arbiter& s) { s.arbiter.Submit(s.a, ";^I;^on1;"); }},
        {"power query", [](Arbiter& s) { s.arbiter.Submit(s.a, "^on;"); }},
        {"leaving", [](Arbiter& s) { s.arbiter.RemoveClient(s.a); }},
        {"time limit", [](Arbiter& s) { s.host.Advance(CLineArbiter::kPowerCycleLimitMs); }},
    };
    for (const Row& row : rows) {
        clientA = {};
        a = arbiter.AddClient(&clientA, QStringLiteral("A"));
        clientB.received.clear();
        device->ClearLogs();
        arbiter.Submit(a, "^on0;");
        host.Advance(10);
        EXPECT_EQ(arbiter.Lease(), LineLease::PowerCycle) << row.name;
        arbiter.Submit(b, "^sn;");
        host.Advance(1000);
        EXPECT_TRUE(clientB.received.isEmpty()) << row.name;
        row.end(*this);
        host.Advance(3000);
        EXPECT_EQ(arbiter.Lease(), LineLease::None) << row.name;
        arbiter.Submit(b, "^on1;^sn;");
        host.RunUntilIdle();
        EXPECT_EQ(clientB.received, QByteArray("^SN01234;")) << row.name;
        arbiter.RemoveClient(a);
    }
}

TEST_F(Arbiter, TheLineFollowsASpeedCommandAndIsSilentWithoutAPort)
{
    arbiter.Submit(a, "^BR2;");
    host.RunUntilIdle();
    EXPECT_EQ(port->Speed(), 19200u);
    EXPECT_EQ(arbiter.LineSpeed(), 19200u);
    arbiter.Submit(b, "^sn;");
    host.RunUntilIdle();
    EXPECT_EQ(clientB.received, QByteArray("^SN01234;"));

    arbiter.DetachPort();
    arbiter.Submit(b, "^rv;");
    host.RunUntilIdle();
    EXPECT_EQ(clientB.received, QByteArray("^SN01234;")) << "no port: unanswered, as a silent amplifier";
    EXPECT_EQ(arbiter.LineSpeed(), 19200u);
    arbiter.AttachPort(port.get(), false);
    arbiter.Submit(b, "^rv;");
    host.RunUntilIdle();
    EXPECT_EQ(clientB.received, QByteArray("^SN01234;^RV01.53;"));
}
