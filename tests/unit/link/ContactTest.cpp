// The contact sequence against the simulated amplifier (speeds, identity, revision, serial
// number) and against a scripted one (malformed answers), in virtual time.
#include "EngineFixture.h"
#include "RowName.h"
#include "link/ContactStateMachine.h"

namespace {
using ::operator<<;
CSimDevice::Options At(DWORD speed)
{
    CSimDevice::Options o = CSimHarness::DefaultOptions();
    o.speed = speed;
    return o;
}

} // namespace

struct SpeedCase {
    const char* name;
    DWORD speed;
    int unansweredPolls;
};

class ContactSpeed : public ::testing::TestWithParam<SpeedCase> { };

TEST_P(ContactSpeed, AmplifierAnswersAfterFourPollsAtEachFasterSpeed)
{
    CSimHarness bench(At(GetParam().speed));
    bench.model->m_port.Set("SIM");
    bench.model->ContactMachine()->StartContact();
    // Polls go out every 100 ms until the amplifier answers at its own speed.
    const std::uint64_t expectAnswerAfter = 100ull * GetParam().unansweredPolls;
    bench.host.RunUntil([&]() { return bench.device->ReceivedLog().contains("^I;"); }, 60000);
    EXPECT_GE(bench.host.Now(), expectAnswerAfter);
    EXPECT_LT(bench.host.Now(), expectAnswerAfter + 100);
    EXPECT_EQ(bench.device->ReceivedLog().count(";") - bench.device->ReceivedLog().count("^I;"),
        GetParam().unansweredPolls + 1);
    ASSERT_TRUE(bench.RunUntilIdle(*bench.model->ContactMachine()));
    EXPECT_EQ(bench.model->ContactMachine()->ResultCode(), 0u);
    EXPECT_EQ(bench.model->m_firmwareStatus.m_value, FirmwareApplication);
    EXPECT_EQ(bench.model->PortSpeed(), GetParam().speed);
    EXPECT_EQ(bench.model->m_firmwareRevision.m_value, 153);
    EXPECT_EQ(bench.model->m_serialNumber.m_value, 1234);
    EXPECT_EQ(bench.model->m_device.m_value, CModelBase::DeviceQRO4000);
}

INSTANTIATE_TEST_SUITE_P(Speeds, ContactSpeed,
    ::testing::Values(SpeedCase {"At230400", 230400, 0}, SpeedCase {"At115200", 115200, 4},
        SpeedCase {"At38400", 38400, 12}, SpeedCase {"At19200", 19200, 16}, SpeedCase {"At4800", 4800, 24}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Contact, WithNoAmplifierThePollTimeOutGrowsAfterEveryFullCycle)
{
    CSimHarness bench;
    bench.device->GetFaults().silent = true;
    bench.model->m_port.Set("SIM");
    bench.model->ContactMachine()->StartContact();
    // Sample the gap between polls at the start of each cycle (28 polls per cycle).
    std::vector<std::uint64_t> gaps;
    std::uint64_t last = 0;
    int polls = 0;
    bench.host.RunUntil(
        [&]() {
            const int now = static_cast<int>(bench.device->ReceivedLog().count(";"));
            if (now != polls) {
                if (polls % 28 == 1)
                    gaps.push_back(bench.host.Now() - last);
                polls = now;
                last = bench.host.Now();
            }
            return gaps.size() >= 12;
        },
        24ull * 3600 * 1000);
    EXPECT_EQ(gaps, (std::vector<std::uint64_t> {100, 150, 225, 337, 505, 757, 1135, 1702, 2553, 3829, 5000, 5000}));
    EXPECT_FALSE(bench.model->ContactMachine()->IsIdle()); // it never gives up by itself
    EXPECT_TRUE(bench.model->ContactMachine()->Cancel());
    ASSERT_TRUE(bench.RunUntilIdle(*bench.model->ContactMachine(), 10000));
    EXPECT_EQ(bench.model->ContactMachine()->ResultCode(), 1223u);
    EXPECT_EQ(bench.model->m_firmwareStatus.m_value, FirmwareNone);
    EXPECT_TRUE(bench.model->IsPortOpen()); // a failed contact leaves the port open
}

TEST(Contact, StatusLinesOfAContact)
{
    CSimHarness bench(At(115200));
    bench.model->m_verboseLogging.m_value = 1;
    ASSERT_TRUE(bench.Connect());
    EXPECT_EQ(bench.sink.verbose, (QStringList {"Opening Serial Port SIM", "Serial Port SIM is open"}));
    EXPECT_EQ(bench.sink.status,
        (QStringList {"Attempting to contact QRO4000 on port SIM at 230400 bit/s",
            "Attempting to contact QRO4000 on port SIM at 115200 bit/s"}));
    // A new contact closes the open port first and reopens it at 230400 bit/s.
    bench.sink.verbose.clear();
    bench.model->ContactMachine()->StartContact();
    EXPECT_EQ(bench.sink.verbose.first(), "Serial port SIM is closed");
    EXPECT_EQ(bench.model->PortSpeed(), 230400u);
    EXPECT_EQ(bench.model->m_serialNumber.m_value, 0xFFFF);
    ASSERT_TRUE(bench.RunUntilIdle(*bench.model->ContactMachine()));
    EXPECT_EQ(bench.model->m_firmwareStatus.m_value, FirmwareApplication);
}

TEST(Contact, BootLoaderAnswersEndTheContactWithStatusTwo)
{
    CSimDevice::Options o = At(38400);
    o.bootLoader = true;
    CSimHarness bench(o);
    ASSERT_TRUE(bench.Connect());
    EXPECT_EQ(bench.model->m_firmwareStatus.m_value, FirmwareBootLoader);
    EXPECT_FALSE(bench.device->ReceivedLog().contains("^rv;"));
    EXPECT_EQ(bench.model->m_firmwareRevision.m_value, 0);
}

TEST(Contact, EmptyPortNameFailsWithoutTouchingAPort)
{
    CSimHarness bench;
    bench.model->m_port.Set("");
    bench.model->ContactMachine()->StartContact();
    EXPECT_TRUE(bench.model->ContactMachine()->IsIdle());
    EXPECT_EQ(bench.model->ContactMachine()->ResultCode(), Result::PortNameMissing);
    EXPECT_EQ(bench.model->Port(), nullptr);
}

TEST(Contact, CloseClosesThePortAndForgetsTheAmplifier)
{
    CSimHarness bench;
    ASSERT_TRUE(bench.Connect());
    bench.model->ContactMachine()->StartClosePort();
    EXPECT_TRUE(bench.model->ContactMachine()->IsIdle());
    EXPECT_FALSE(bench.model->IsPortOpen());
    EXPECT_EQ(bench.model->m_serialPortState.m_value, 0);
    EXPECT_EQ(bench.model->m_firmwareStatus.m_value, FirmwareNone);
    EXPECT_EQ(bench.model->m_serialNumber.m_value, 0xFFFF);
}

TEST(Contact, RevisionQueryOnlyWhenIdle)
{
    CSimHarness bench;
    bench.model->m_port.Set("SIM");
    bench.model->ContactMachine()->StartContact();
    EXPECT_FALSE(bench.model->ContactMachine()->StartRevisionQuery());
    ASSERT_TRUE(bench.RunUntilIdle(*bench.model->ContactMachine()));
    bench.device->GetOptions().revision = 160;
    EXPECT_TRUE(bench.model->ContactMachine()->StartRevisionQuery());
    ASSERT_TRUE(bench.RunUntilIdle(*bench.model->ContactMachine()));
    EXPECT_EQ(bench.model->m_firmwareRevision.m_value, 160);
}

// Malformed answers, from a scripted amplifier.
class ContactAnswers : public EngineTest {
protected:
    void SetUp() override
    {
        model->ClosePort();
        model->m_port.Set("TEST");
    }
    void AnswerWith(QByteArray revision, QByteArray serial)
    {
        model->ContactMachine(); // the port is created at the contact's open
        scriptRevision = std::move(revision);
        scriptSerial = std::move(serial);
    }
    void Start()
    {
        model->ContactMachine()->StartContact();
        port->script = [this](const QByteArray& w, DWORD speed) -> QByteArray {
            if (speed != 230400)
                return {};
            if (w == ";")
                return ";";
            if (w == "^I;")
                return "^IQRO4000;";
            if (w == "^rv;")
                return scriptRevision;
            if (w == "^sn;")
                return scriptSerial;
            return {};
        };
        port->Inject(";"); // the first poll went out before the script was set
    }
    QByteArray scriptRevision, scriptSerial;
};

TEST_F(ContactAnswers, RevisionWithOneDigitOrLowerCaseIsRejectedAndAskedAgain)
{
    for (const QByteArray& bad : {QByteArray("^RV1.23;"), QByteArray("^rv01.23;")}) {
        AnswerWith(bad, "^SN00001;");
        Start();
        port->writes.clear();
        ASSERT_TRUE(host.RunUntil([&]() { return model->ContactMachine()->IsIdle(); }, 60000));
        EXPECT_EQ(model->ContactMachine()->ResultCode(), Result::NoRevisionResponse) << bad.constData();
        EXPECT_EQ(port->Commands().count("^rv;"), 10);
        EXPECT_EQ(model->m_firmwareStatus.m_value, FirmwareNone);
    }
}

TEST_F(ContactAnswers, RevisionAndSerialNumberAreRead)
{
    AnswerWith("^RV01.23;", "^sn01234;");
    Start();
    ASSERT_TRUE(host.RunUntil([&]() { return model->ContactMachine()->IsIdle(); }, 60000));
    EXPECT_EQ(model->ContactMachine()->ResultCode(), 0u);
    EXPECT_EQ(model->m_firmwareRevision.m_value, 123);
    EXPECT_EQ(model->m_serialNumber.m_value, 1234);
    EXPECT_EQ(model->m_firmwareStatus.m_value, FirmwareApplication);
}

TEST_F(ContactAnswers, SerialNumberAbove65535FailsAfterFiveHundredMilliseconds)
{
    AnswerWith("^RV01.23;", "^SN70000;");
    Start();
    host.RunUntil([&]() { return port->Commands().contains("^sn;"); }, 60000);
    const std::uint64_t sent = host.Now();
    ASSERT_TRUE(host.RunUntil([&]() { return model->ContactMachine()->IsIdle(); }, 60000));
    EXPECT_EQ(host.Now() - sent, 500u);
    EXPECT_EQ(model->ContactMachine()->ResultCode(), Result::NoSerialNumberResponse);
    EXPECT_EQ(port->Commands().count("^sn;"), 1);
    EXPECT_EQ(model->m_firmwareStatus.m_value, FirmwareNone);
}

TEST_F(ContactAnswers, PortHeldByAnotherProgramReportsAccessDenied)
{
    model->ContactMachine()->StartClosePort();
    model->SetPortFactory([this](const QString&) {
        auto p = std::make_unique<CScriptedPort>(host);
        p->failOpenWith5 = true;
        port = p.get();
        return p;
    });
    model->m_port.Set("COM3");
    model->ContactMachine()->StartContact();
    EXPECT_TRUE(model->ContactMachine()->IsIdle());
    EXPECT_EQ(model->ContactMachine()->ResultCode(), 5u);
    EXPECT_TRUE(sink.status.contains(
        "Serial port \"COM3\" access denied; may in use by another program or USB cable may have been removed."));
}
