// The operate poll cycle and its restart routine against the simulated amplifier, in virtual
// time: the wire bytes and state order of a cycle, the jumps, the requests, and the named
// faults of the amplifier.
#include "SimHarness.h"
#include "model/ResultCode.h"
#include "operate/OperatePoller.h"
#include "operate/OperateStateMachine.h"
#include "sim/SimOperate.h"
#include <gtest/gtest.h>

namespace {
class OperateMachine : public ::testing::Test {
protected:
    explicit OperateMachine(const CSimDevice::Options& options = CSimHarness::DefaultOptions())
        : harness(options)
    {
    }
    void SetUp() override
    {
        ASSERT_TRUE(harness.Connect());
        harness.device->ClearLogs();
        harness.model->m_trace.m_value = 1;
        machine = harness.model->CreateMachine<COperateStateMachine>();
        ASSERT_NE(machine, nullptr);
    }
    DWORD Cycle()
    {
        harness.sink.trace.clear();
        harness.device->ClearLogs();
        EXPECT_TRUE(machine->StartPoll());
        EXPECT_TRUE(harness.RunUntilIdle(*machine));
        return machine->ResultCode();
    }
    QList<QByteArray> Wire() const { return Commands(harness.device->ReceivedLog()); }
    // "State Send "command"" lines of the last cycle, as "State command".
    QStringList Sends() const
    {
        QStringList sends;
        for (QString line : harness.sink.trace)
            if (line.contains(QLatin1String(" Send \"")))
                sends << line.remove(QLatin1String(" Send")).remove(QLatin1Char('"'));
        return sends;
    }
    CSimOperate& Sim() { return harness.device->Feature<CSimOperate>(); }
    CModel& Model() { return *harness.model; }

    CSimHarness harness;
    COperateStateMachine* machine = nullptr;
};

class OperateMachineOff : public OperateMachine {
protected:
    OperateMachineOff()
        : OperateMachine([] {
            CSimDevice::Options o = CSimHarness::DefaultOptions();
            o.powerOff = true;
            return o;
        }())
    {
    }
};
} // namespace

TEST_F(OperateMachine, CycleQueriesEveryStateInOrderAndFillsTheModel)
{
    Sim().m_band = 3;
    Sim().m_antenna = 2;
    Sim().m_capacitors = 0xA5;
    ASSERT_EQ(Cycle(), 0u);
    const QStringList expected {"OperateDetermineSpeedState ;", "QueryIState ^I;", "GetPowerStatusState ^on;",
        "OperateQueryRevisionState ^rv;", "GetLcdTextState ^ds;", "GetFaultCodeState ^fl;",
        "GetOverdriveCodeState ^oc;", "GetOperateStandbyState ^os;", "GetAntennaState ^an;",
        "GetBandNumberOperateState ^bn;", "GeteAtuModeState ^am;", "GetAtuInlineState ^ai;", "SetCapacitorState ^cr;",
        "SetInductorState ^lr;", "GetSideState ^si;", "GetFrequencyState ^fq;", "GetPACurrentState ^pc;",
        "GetPAVoltageState ^vmh;", "GetPowerDissipatedState ^pwd;", "GetPowerForwardState ^pwf;",
        "GetPowerInputState ^pwi;", "GetPowerReflectedState ^pwr;", "GetSwrState ^sw;", "GetSwrBypassState ^sb;",
        "GetTemperatureState ^tm;"};
    EXPECT_EQ(Sends(), expected);
    EXPECT_EQ(Model().m_band.m_value, 3);
    EXPECT_EQ(Model().m_antenna.m_value, 2);
    EXPECT_EQ(Model().m_capacitors.m_value, 0xA5);
    EXPECT_EQ(Model().m_inductors.m_value, Sim().m_inductors);
    EXPECT_EQ(Model().m_atuMode.m_value, L'I');
    EXPECT_EQ(Model().m_atuInline.m_value, 1);
    EXPECT_EQ(Model().m_capacitorSide.m_value, L'T');
    EXPECT_EQ(Model().m_frequency.m_value, 7100);
    EXPECT_EQ(Model().m_powerStatus.m_value, 1);
    EXPECT_EQ(Model().m_operateStandby.m_value, 1);
    EXPECT_EQ(Model().m_firmwareRevision.m_value, 153);
    EXPECT_TRUE(Model().m_displayText.m_value.startsWith(QLatin1String("OPER 7.100 ANT2")));
    EXPECT_GT(Model().m_powerForward.m_value, 900); // the simulated operator is transmitting
    EXPECT_GT(Model().m_paVoltage.m_value, 45000u);
    EXPECT_EQ(Model().m_firmwareStatus.m_value, FirmwareApplication);
}

// Switched off, the amplifier is asked for its power only; a power request goes with that query,
// and the next cycle polls everything.
TEST_F(OperateMachineOff, AmplifierOffIsAskedForItsPowerOnlyUntilSwitchedOn)
{
    ASSERT_EQ(Cycle(), 0u);
    EXPECT_EQ(Wire(), (QList<QByteArray> {";", "^I;", "^on;"}));
    EXPECT_EQ(Model().m_powerStatus.m_value, 0);
    EXPECT_TRUE(Model().m_powerStatus.IsCurrent());
    EXPECT_FALSE(Model().m_displayText.IsCurrent());
    EXPECT_EQ(Model().m_firmwareStatus.m_value, FirmwareApplication);
    machine->SetPowerStatus(1);
    EXPECT_TRUE(machine->IsPowerRequestPending());
    ASSERT_EQ(Cycle(), 0u);
    EXPECT_EQ(Sends(),
        (QStringList {"OperateDetermineSpeedState ;", "QueryIState ^I;", "GetPowerStatusState ^on;",
            "SetPowerStatusState ^on1;^on;"}));
    EXPECT_FALSE(machine->IsPowerRequestPending());
    EXPECT_EQ(Model().m_powerStatus.m_value, 1);
    ASSERT_EQ(Cycle(), 0u);
    EXPECT_EQ(Wire().size(), 25);
}

TEST_F(OperateMachine, RevisionBelow153SkipsTheOverdriveQuery)
{
    harness.device->SetCommandHandler("rv", [](const QByteArray&) { return QByteArray("^RV01.52;"); });
    ASSERT_EQ(Cycle(), 0u);
    EXPECT_EQ(Model().m_firmwareRevision.m_value, 152);
    EXPECT_FALSE(Wire().contains("^oc;"));
    EXPECT_EQ(Wire().size(), 24);
}

TEST_F(OperateMachine, LowerCaseRevisionAnswerIsDroppedAndTheCycleFails)
{
    harness.device->SetCommandHandler("rv", [](const QByteArray&) { return QByteArray("^rv01.53;"); });
    EXPECT_EQ(Cycle(), Result::NoRevisionResponse);
    EXPECT_EQ(Model().m_firmwareStatus.m_value, FirmwareNone);
    EXPECT_EQ(harness.sink.trace.filter(QLatin1String("OperateQueryRevisionState Timer Elapsed 500 ms")).size(), 1);
}

TEST_F(OperateMachine, MalformedAnswersKeepTheValuesButAreNotCurrent)
{
    ASSERT_EQ(Cycle(), 0u);
    const DWORD voltage = Model().m_paVoltage.m_value;
    const QByteArray bad[][2] = {{"an", "^AN3;"}, {"fl", "^FLg0;"}, {"bn", "^BN=;"}, {"cr", "^CR 1;"}, {"os", "^OSX;"},
        {"pwf", "^PWF13=9;"}, {"tm", "^XX45;"}, {"vmh", "^VMH-5;"}, {"am", "^AM;"}};
    for (const auto& [name, answer] : bad)
        harness.device->SetCommandHandler(name, [answer = answer](const QByteArray&) { return answer; });
    ASSERT_EQ(Cycle(), 0u);
    EXPECT_EQ(Model().m_antenna.m_value, 1);
    EXPECT_EQ(Model().m_faultCode.m_value, 0);
    EXPECT_EQ(Model().m_band.m_value, 5);
    EXPECT_EQ(Model().m_capacitors.m_value, Sim().m_capacitors);
    EXPECT_EQ(Model().m_operateStandby.m_value, 1);
    EXPECT_GT(Model().m_powerForward.m_value, 13);
    EXPECT_GT(Model().m_temperature.m_value, 0);
    EXPECT_EQ(Model().m_paVoltage.m_value, voltage);
    EXPECT_EQ(Model().m_atuMode.m_value, L'I');
    for (const CReadingState* reading : std::initializer_list<const CReadingState*> {&Model().m_antenna,
             &Model().m_band, &Model().m_powerForward, &Model().m_paVoltage, &Model().m_atuMode, &Model().m_temperature})
        EXPECT_FALSE(reading->IsCurrent());
    EXPECT_TRUE(Model().m_displayText.IsCurrent());
    EXPECT_TRUE(Model().m_frequency.IsCurrent());
}

TEST_F(OperateMachine, AnotherDeviceEndsTheCycleAndIsSentNothing)
{
    ASSERT_EQ(Cycle(), 0u);
    harness.device->SetCommandHandler("i", [](const QByteArray&) { return QByteArray("^IRX5;"); });
    machine->PressMode();
    EXPECT_EQ(Cycle(), Result::UnexpectedDevice);
    EXPECT_EQ(Wire(), (QList<QByteArray> {";", "^I;"}));
    EXPECT_EQ(Model().m_firmwareStatus.m_value, FirmwareNone);
    EXPECT_FALSE(Model().m_powerStatus.IsCurrent());
    // Another port: whether its amplifier is on is not known.
    EXPECT_EQ(Model().m_powerStatus.m_value, 1);
    Model().ClosePort();
    Model().OpenPort(QStringLiteral("OTHER"), true);
    EXPECT_EQ(Model().m_powerStatus.m_value, 0);
}

TEST_F(OperateMachine, KeysGoInOneWriteInTheFixedOrder)
{
    machine->PressUp();
    machine->PressAntenna();
    machine->SelectBand(3);
    machine->PressMode();
    machine->PressUp(); // twice before the cycle: sent once
    ASSERT_EQ(Cycle(), 0u);
    EXPECT_EQ(Sends().last(), "PressButtonState ^BPT01;^BPT06;^BPT18;^BPT19;");
    EXPECT_EQ(harness.sink.trace.last(), "PressButtonState Timer Elapsed  10 ms");
    ASSERT_EQ(Cycle(), 0u);
    EXPECT_EQ(Model().m_band.m_value, 3);
    EXPECT_EQ(Model().m_antenna.m_value, 2);
    EXPECT_EQ(Model().m_operateStandby.m_value, 0);
    EXPECT_FALSE(Wire().contains("^BPT19;"));
    // Bands without a known key, and the ATU store, send nothing.
    for (BYTE band : {BYTE(9), BYTE(11)}) {
        machine->SelectBand(band);
        machine->PressAtuStore();
        ASSERT_EQ(Cycle(), 0u);
        EXPECT_FALSE(harness.device->ReceivedLog().contains("^BP")) << int(band);
        EXPECT_EQ(Model().m_band.m_value, 3);
    }
}

TEST_F(OperateMachine, RelaySetGoesInPlaceOfTheQueryAndIsReadBackNextCycle)
{
    // 1360 pF + 8 pF: bits 7 and 0; 0xBD also has a hex letter right after the name.
    machine->SetCapacitors(0x81);
    machine->SetCapacitors(0xBD);
    machine->SetInductors(0x7F);
    ASSERT_EQ(Cycle(), 0u);
    EXPECT_TRUE(Sends().contains("SetCapacitorState ^crBD;"));
    EXPECT_TRUE(Sends().contains("SetInductorState ^lr7F;"));
    EXPECT_FALSE(Wire().contains("^cr;"));
    EXPECT_EQ(harness.sink.trace.filter(QLatin1String("SetCapacitorState Timer Elapsed  10 ms")).size(), 1);
    EXPECT_EQ(Sim().m_capacitors, 0xBD);
    EXPECT_NE(Model().m_capacitors.m_value, 0xBD);
    ASSERT_EQ(Cycle(), 0u);
    EXPECT_TRUE(Wire().contains("^cr;"));
    EXPECT_EQ(Model().m_capacitors.m_value, 0xBD);
    EXPECT_EQ(Model().m_inductors.m_value, 0x7F);
}

TEST_F(OperateMachine, AmplifierFaultShowsItsCodeAndStandby)
{
    harness.device->GetFaults().amplifierFault = 0x0A;
    ASSERT_EQ(Cycle(), 0u);
    EXPECT_EQ(Model().m_faultCode.m_value, 0x0A);
    EXPECT_EQ(Model().m_operateStandby.m_value, 0);
    EXPECT_TRUE(Model().m_displayText.m_value.contains(QLatin1String("FAULT 0A")));
    machine->PressReset();
    ASSERT_EQ(Cycle(), 0u);
    ASSERT_EQ(Cycle(), 0u);
    EXPECT_EQ(Model().m_faultCode.m_value, 0);
}

TEST_F(OperateMachine, SilentMidCycleKeepsTheValuesThenFailsTheNextCycle)
{
    ASSERT_EQ(Cycle(), 0u);
    const WORD frequency = Model().m_frequency.m_value;
    // The 12th operate command (^fq;) is the first left unanswered.
    harness.device->GetFaults().fallSilentAnswer = 12;
    const std::uint64_t start = harness.host.Now();
    ASSERT_EQ(Cycle(), 0u);
    EXPECT_FALSE(Model().m_frequency.IsCurrent());
    // Ten queries from "^fq;" to "^tm;" wait out their 500 ms each.
    EXPECT_GE(harness.host.Now() - start, 5000u);
    EXPECT_EQ(Model().m_frequency.m_value, frequency);
    EXPECT_EQ(Model().m_firmwareStatus.m_value, FirmwareApplication);
    // While other speeds are tried, the amplifier is not taken as there at any of them.
    struct StatusAtSpeed : IEventSink {
        CModel& model;
        QList<int> statuses;
        explicit StatusAtSpeed(CModel& m) : model(m) { model.m_portSpeed.AddObserver(this); }
        ~StatusAtSpeed() { model.m_portSpeed.RemoveObserver(this); }
        void OnEvent(std::uint32_t, std::uintptr_t, std::intptr_t) override { statuses << model.m_firmwareStatus.m_value; }
    } during(Model());
    EXPECT_EQ(Cycle(), Result::NoSemicolonResponse);
    EXPECT_EQ(Model().m_firmwareStatus.m_value, FirmwareNone);
    ASSERT_FALSE(during.statuses.isEmpty());
    EXPECT_FALSE(during.statuses.contains(FirmwareApplication));
}

TEST_F(OperateMachine, BootLoaderEndsTheCycleAt38400)
{
    harness.device->GetOptions().speed = 57600;
    Model().SetPortSpeed(57600);
    ASSERT_EQ(Cycle(), 0u);
    harness.device->SetCommandHandler("i", [](const QByteArray&) { return QByteArray("^Iqro4000;"); });
    ASSERT_EQ(Cycle(), 0u);
    for (const CReadingState* reading : Model().Readings())
        EXPECT_FALSE(reading->IsCurrent());
    EXPECT_EQ(Wire(), (QList<QByteArray> {";", "^I;"}));
    EXPECT_EQ(Model().m_firmwareStatus.m_value, FirmwareBootLoader);
    EXPECT_EQ(Model().PortSpeed(), 38400u);
}

// --- the restart routine -----------------------------------------------------------------

TEST_F(OperateMachineOff, PollingFallsBackTo10sAfter50RestartsButAKeyStillGoesAtOnce)
{
    machine->Release();
    COperatePoller poller(Model());
    poller.Start();
    ASSERT_TRUE(harness.host.RunUntil([&] { return poller.RestartCount() == 49; }, 60000));
    EXPECT_EQ(poller.Interval(), 300u);
    harness.host.Advance(300);
    EXPECT_EQ(poller.RestartCount(), 50u);
    EXPECT_EQ(poller.Interval(), 10000u);
    harness.host.Advance(2000);
    harness.device->ClearLogs();
    ASSERT_TRUE(poller.Request([](IOperateStateMachine& m) { m.PressAntenna(); }));
    harness.host.Advance(100);
    EXPECT_TRUE(harness.device->ReceivedLog().endsWith("^on;^BPT01;"));
    // The POWER ON box checked keeps the polling fast.
    bool boxChecked = true;
    poller.SetPowerBoxProbe([&] { return boxChecked; });
    poller.Restart();
    EXPECT_EQ(poller.Interval(), 300u);
}

TEST_F(OperateMachine, ATickDuringACycleRestartsAtItsEndWithoutOverlap)
{
    machine->Release();
    harness.device->GetOptions().answerDelayMs = 10; // a cycle of about 250 ms
    Model().m_operatePollInterval.m_value = 100;
    COperatePoller poller(Model());
    QList<std::uint64_t> starts;
    CCompletionRecorder recorder(Model(), &harness.host);
    const QList<std::uint64_t>& ends = recorder.times;
    poller.Start();
    for (int i = 0; i < 400 && ends.size() < 4; ++i) {
        harness.host.Advance(5);
        if (poller.Machine() && !poller.Machine()->IsIdle() && starts.size() == ends.size())
            starts.append(harness.host.Now());
    }
    ASSERT_GE(ends.size(), 4);
    for (int i = 1; i < 4; ++i) {
        EXPECT_GE(starts[i], ends[i - 1]);
        EXPECT_LE(starts[i] - ends[i - 1], 5u); // started at once, not at the next tick
    }
}

TEST(OperatePoller, MachineIsMadeAndPollingStartsOnceTheContactHasEnded)
{
    CSimHarness harness;
    harness.model->m_port.Set(QStringLiteral("SIM"));
    harness.model->ContactMachine()->StartContact();
    COperatePoller poller(*harness.model);
    poller.Start();
    EXPECT_EQ(poller.Machine(), nullptr);
    ASSERT_TRUE(harness.host.RunUntil([&] { return !harness.model->m_displayText.m_value.isEmpty(); }, 30000));
    EXPECT_NE(poller.Machine(), nullptr);
    poller.Stop();
    EXPECT_EQ(harness.model->RunningMachine(), nullptr);
}
