// The one connection state the Port page and the status bar show, the buttons' availability
// with its reasons, and the advice under a failure's code: pure functions of the link's facts;
// then the contact machine's Stop and its start and end notices on the simulated amplifier.
#include "link/ConnectionState.h"
#include "SimHarness.h"
#include "model/ResultCode.h"
#include <gtest/gtest.h>

namespace {
CConnectionFacts Open(int status, const char* port = "/dev/ttyUSB0")
{
    CConnectionFacts f;
    f.port = QString::fromLatin1(port);
    f.portOpen = true;
    f.firmwareStatus = status;
    f.revision = 153;
    f.serialNumber = 1234;
    f.speed = 38400;
    return f;
}
CConnectionFacts With(CConnectionFacts f, const std::function<void(CConnectionFacts&)>& change)
{
    change(f);
    return f;
}

struct StateCase {
    const char* name;
    CConnectionFacts facts;
    ConnectionKind kind;
    const char* text;
    bool canStop;
    friend void PrintTo(const StateCase& c, std::ostream* os) { *os << c.name; }
};

class ConnectionStateOf : public ::testing::TestWithParam<StateCase> { };

const StateCase kStates[] = {
    {"NoPortChosen", {}, ConnectionKind::NoPort, "No port chosen: choose the port the QRO4000 is connected to.", false},
    {"PortClosedByTheUser", With(Open(0), [](auto& f) { f.portOpen = false; }), ConnectionKind::PortClosed,
        "Port /dev/ttyUSB0 closed. Test Communications opens it.", false},
    {"PortLostEvenWhileTheOldStatusLingers", With(Open(3), [](auto& f) { f.portOpen = false, f.portLost = true; }),
        ConnectionKind::PortLost, "Port /dev/ttyUSB0 lost: is the cable unplugged?", false},
    {"SearchingNamesPortAndSpeed", With(Open(0), [](auto& f) { f.contactBusy = true; }), ConnectionKind::Searching,
        "Searching for the QRO4000 on /dev/ttyUSB0 at 38400 bit/s...", true},
    {"RevisionQueryIsNoSearch", With(Open(3), [](auto& f) { f.contactBusy = true; }), ConnectionKind::Connected,
        "Connected: QRO4000 revision 01.53, serial number 01234, on /dev/ttyUSB0 at 38400 bit/s", false},
    {"ConnectedBeforeTheSerialNumberIsRead", With(Open(3), [](auto& f) { f.serialNumber = 0xFFFF; }),
        ConnectionKind::Connected, "serial number unknown", false},
    {"BootLoaderWaitsForFirmware", Open(2), ConnectionKind::BootLoader,
        "QRO4000 on /dev/ttyUSB0 is in its boot loader, waiting for firmware (38400 bit/s)", false},
    {"AnotherDeviceIsNamed", With(Open(0), [](auto& f) { f.otherDevice = "Found a RX5, not a QRO4000, on COM3"; }),
        ConnectionKind::OtherDevice, "Found a RX5, not a QRO4000, on COM3", false},
    {"StoppedSearch", With(Open(0), [](auto& f) { f.contactResult = Result::Cancelled; }), ConnectionKind::Stopped,
        "Search stopped on /dev/ttyUSB0.", false},
    {"NothingAnswered", With(Open(0), [](auto& f) { f.contactResult = Result::NoIdentifyResponse; }),
        ConnectionKind::NotResponding, "Not responding: no QRO4000 answered on /dev/ttyUSB0.", false},
};
} // namespace

TEST_P(ConnectionStateOf, Facts)
{
    const CConnectionState state = DescribeConnection(GetParam().facts);
    EXPECT_EQ(state.kind, GetParam().kind);
    EXPECT_TRUE(state.text.contains(QString::fromLatin1(GetParam().text))) << qPrintable(state.text);
    EXPECT_EQ(state.canStop, GetParam().canStop);
}
INSTANTIATE_TEST_SUITE_P(
    Link, ConnectionStateOf, ::testing::ValuesIn(kStates), [](const auto& info) { return info.param.name; });

namespace {
struct GateCase {
    const char* name;
    DeviceAction action;
    CConnectionFacts facts;
    const char* reason; // nullptr: enabled
    friend void PrintTo(const GateCase& c, std::ostream* os) { *os << c.name; }
};
class Availability : public ::testing::TestWithParam<GateCase> { };

const GateCase kGates[] = {
    {"SaveWithTheApplication", DeviceAction::ConfigTask, Open(3), nullptr},
    {"SaveWithNoPort", DeviceAction::ConfigTask, {}, "No amplifier in contact"},
    {"SaveWhileSearching", DeviceAction::ConfigTask, With(Open(0), [](auto& f) { f.contactBusy = true; }),
        "search for the amplifier is still running"},
    {"SaveWhileAnotherTaskRuns", DeviceAction::ConfigTask, With(Open(3), [](auto& f) { f.taskBusy = true; }),
        "another conversation"},
    {"CheckRevisionWhileItRuns", DeviceAction::CheckRevision, With(Open(3), [](auto& f) { f.contactBusy = true; }),
        "another conversation"},
    {"RestoreInTheBootLoader", DeviceAction::ConfigTask, Open(2), "send firmware on the Firmware page first"},
    {"SendFirmwareInTheBootLoader", DeviceAction::SendFirmware, Open(2), nullptr},
    {"CheckRevisionInTheBootLoader", DeviceAction::CheckRevision, Open(2), "boot loader"},
    {"CommandTesterInTheBootLoader", DeviceAction::CommandTester, Open(2), nullptr},
    {"SendFirmwareToAnotherDevice", DeviceAction::SendFirmware,
        With(Open(0), [](auto& f) { f.otherDevice = "Found a RX5, not a QRO4000, on COM3"; }), "Found a RX5"},
    {"CommandTesterAfterAPortLoss", DeviceAction::CommandTester,
        With(Open(0), [](auto& f) { f.portOpen = false, f.portLost = true; }),
        "The port /dev/ttyUSB0 has gone: is the cable unplugged?"},
};
} // namespace

TEST_P(Availability, Rule)
{
    const CActionAvailability got = ActionAvailability(GetParam().action, GetParam().facts);
    EXPECT_EQ(got.enabled, GetParam().reason == nullptr);
    EXPECT_TRUE(got.reason.contains(QString::fromLatin1(GetParam().reason ? GetParam().reason : "")))
        << qPrintable(got.reason);
    EXPECT_EQ(got.reason.isEmpty(), GetParam().reason == nullptr);
}
INSTANTIATE_TEST_SUITE_P(
    Link, Availability, ::testing::ValuesIn(kGates), [](const auto& info) { return info.param.name; });

TEST(FailureAdvice, NamesTheGonePortAndAsksForFirmwareFirst)
{
    const CConnectionFacts lost = With(Open(0), [](auto& f) { f.portOpen = false; });
    EXPECT_EQ(FailureAdvice(Result::PortLost, lost),
        "The port /dev/ttyUSB0 has gone: is the cable unplugged? Connect it again, then press Test Communications on "
        "the Port page.");
    EXPECT_TRUE(FailureAdvice(Result::AccessDenied, With(lost, [](auto& f) { f.portLost = true; }))
                    .startsWith("The port /dev/ttyUSB0 has gone"));
    // A file or folder that refused, with the port closed or open: a matter of permissions.
    for (const CConnectionFacts& facts : {lost, Open(3)})
        EXPECT_TRUE(FailureAdvice(Result::AccessDenied, facts).startsWith("Access to that file or folder was refused"));
    // A port that refused to open has said why as it did.
    EXPECT_EQ(FailureAdvice(Result::AccessDenied, With(lost, [](auto& f) { f.contactResult = Result::AccessDenied; })), "");
    EXPECT_TRUE(FailureAdvice(Result::RemoteConnectionLost, With(lost, [](auto& f) {
        f.port = "rfc2217://amp:3000";
    })).startsWith("The connection to the serial device server amp:3000 has gone"));
    EXPECT_EQ(FailureAdvice(Result::UnexpectedDevice, Open(2)),
        "The QRO4000 on /dev/ttyUSB0 is in its boot loader, waiting for firmware: load firmware on the Firmware page "
        "first, then try again.");
    EXPECT_EQ(FailureAdvice(Result::UnexpectedDevice, Open(0)), "");
    EXPECT_EQ(FailureAdvice(Result::NoReadBlockResponse, Open(3)), "");
}

namespace {
class ActivityCounter : public IEventSink {
public:
    void OnEvent(std::uint32_t, std::uintptr_t, std::intptr_t) override { ++count; }
    int count = 0;
};
} // namespace

TEST(ContactStop, EndsASearchAtOnceAndTellsItsStartAndEnd)
{
    CSimHarness bench;
    bench.device->GetFaults().silent = true;
    IContactStateMachine& contact = *bench.model->ContactMachine();
    ActivityCounter activity;
    contact.Activity().AddObserver(&activity);
    bench.model->m_port.Set("SIM");
    contact.StartContact();
    EXPECT_EQ(activity.count, 1);
    bench.host.Advance(30000); // into polls 2553 ms apart
    EXPECT_EQ(DescribeConnection(ReadConnectionFacts(*bench.model)).kind, ConnectionKind::Searching);
    ASSERT_TRUE(contact.Cancel());
    EXPECT_TRUE(contact.IsIdle());
    EXPECT_EQ(activity.count, 2);
    EXPECT_EQ(contact.ResultCode(), Result::Cancelled);
    EXPECT_EQ(DescribeConnection(ReadConnectionFacts(*bench.model)).kind, ConnectionKind::Stopped);
    contact.Activity().RemoveObserver(&activity);
}
