// The engine: answer assembly, tracing, cancel, start rules, timers and routing.
#include "EngineFixture.h"
#include "link/ContactStates.h"
#include "link/states/CommandDelayState.h"
#include "link/states/CommandResponseRetryState.h"
#include "link/states/DelayState.h"
#include "model/ResultCode.h"

using Machine = CProbeMachine;
// The failure a probe state ends with when its answer never comes.
constexpr DWORD kNoAnswer = Result::NoReadBlockResponse;

TEST_F(EngineTest, ResponseSplitOverTwoNotificationsIsHandledOnceWhenComplete)
{
    CGetFirmwareVersionState<Machine> state(machine.get(), "GetFirmwareVersionState", &machine->m_finalState);
    machine->Start(&state);
    ASSERT_EQ(port->Commands(), QByteArrayList {"^rv;"});
    port->Inject("^RV01");
    host.Advance(10);
    EXPECT_FALSE(machine->IsIdle());
    EXPECT_EQ(machine->m_received, "^RV01");
    port->Inject(".23;");
    host.Advance(10);
    EXPECT_TRUE(machine->IsIdle());
    EXPECT_EQ(machine->ResultCode(), 0u);
    EXPECT_EQ(model->m_firmwareRevision.m_value, 123);
    EXPECT_EQ(machine->finalVisits, 1);
}

TEST_F(EngineTest, SecondResponseOfABurstStaysInThePortUntilTheNextSend)
{
    CGetSerialNumberState<Machine> serial(machine.get(), "GetSerialNumberState", &machine->m_finalState);
    CGetFirmwareVersionState<Machine> revision(machine.get(), "GetFirmwareVersionState", &serial);
    machine->Start(&revision);
    port->Inject("^RV01.53;^SN00042;");
    host.Advance(1);
    // The revision was taken; its successor sent "^sn;", which cleared the receive buffer.
    EXPECT_EQ(model->m_firmwareRevision.m_value, 153);
    EXPECT_EQ(port->Commands(), (QByteArrayList {"^rv;", "^sn;"}));
    EXPECT_TRUE(port->pending.isEmpty());
    EXPECT_EQ(model->m_serialNumber.m_value, 0xFFFF);
}

TEST_F(EngineTest, BytesAfterATerminatorAreLeftForTheNextNotification)
{
    CDelayState<Machine> wait(machine.get(), "WaitState", &machine->m_finalState, 1000);
    CCommandResponseState<Machine> state(machine.get(), "AnyState", &wait, 500, "^q;", kNoAnswer);
    machine->Start(&state);
    port->pending = "^A;^B;";
    bool handled = false;
    machine->OnCommEvent(handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(machine->CurrentState(), &wait);
    EXPECT_EQ(port->pending, "^B;");
    machine->OnCommEvent(handled); // the delay state drops it
    EXPECT_TRUE(port->pending.isEmpty());
    EXPECT_TRUE(machine->m_received.isEmpty());
    EXPECT_EQ(machine->CurrentState(), &wait);
}

TEST_F(EngineTest, TraceLinesEscapeControlCharactersAndGiveTheElapsedTime)
{
    model->m_trace.m_value = 1;
    CCommandResponseState<Machine> state(machine.get(), "ProbeState", &machine->m_finalState, 500, "^q;", kNoAnswer);
    port->answerDelayMs = 7;
    port->script = [](const QByteArray&, DWORD) { return QByteArray("^Q\r\n\x01;"); };
    machine->Start(&state);
    RunUntilIdle();
    EXPECT_EQ(
        sink.trace, (QStringList {"ProbeState Send \"^q;\"", "ProbeState Response \"^Q\\x0D\\x0A\\x01;\"   7 ms"}));
}

TEST_F(EngineTest, TimerLineAndNoTracingWhileTraceIsOff)
{
    CDelayState<Machine> delay(machine.get(), "DelayState", &machine->m_finalState, 700);
    machine->Start(&delay);
    RunUntilIdle();
    EXPECT_TRUE(sink.trace.isEmpty());
    model->m_trace.m_value = 1;
    machine->Start(&delay);
    RunUntilIdle();
    EXPECT_EQ(sink.trace, QStringList {"DelayState Timer Elapsed 700 ms"});
}

TEST_F(EngineTest, CancelAnswersFalseWhenIdleAndKeepsAnEarlierFailure)
{
    EXPECT_FALSE(machine->Cancel());
    CCommandResponseState<Machine> state(machine.get(), "S", &machine->m_finalState, 500, "^q;", kNoAnswer);
    machine->Start(&state);
    machine->m_result = Result::NoSemicolonResponse;
    EXPECT_TRUE(machine->Cancel());
    EXPECT_EQ(machine->ResultCode(), Result::NoSemicolonResponse);
}

TEST_F(EngineTest, CancelTakesEffectAtTheNextSend)
{
    CCommandResponseRetryState<Machine> state(machine.get(), "S", &machine->m_finalState, 500, "^q;", kNoAnswer);
    machine->Start(&state);
    EXPECT_TRUE(machine->Cancel());
    EXPECT_FALSE(machine->IsIdle()); // still waiting for the answer or the time-out
    host.Advance(499);
    EXPECT_FALSE(machine->IsIdle());
    host.Advance(1); // the time-out resends: the send ends the machine instead
    EXPECT_TRUE(machine->IsIdle());
    EXPECT_EQ(machine->ResultCode(), Result::Cancelled);
    EXPECT_EQ(port->Commands().size(), 1);
}

TEST_F(EngineTest, OnlyWhenIdleStartWhileBusyAnswersFalseAndChangesNothing)
{
    CCommandResponseState<Machine> first(machine.get(), "First", &machine->m_finalState, 500, "^a;", kNoAnswer);
    CCommandResponseState<Machine> second(machine.get(), "Second", &machine->m_finalState, 500, "^b;", kNoAnswer);
    EXPECT_TRUE(machine->Start(&first));
    EXPECT_FALSE(machine->Start(&second));
    EXPECT_EQ(machine->CurrentState(), &first);
    EXPECT_EQ(port->Commands(), QByteArrayList {"^a;"});
}

TEST_F(EngineTest, EmptyCommandPassesStraightOnWithoutSending)
{
    CCommandResponseState<Machine> last(machine.get(), "Last", &machine->m_finalState, 500, "^z;", kNoAnswer);
    CCommandResponseRetryState<Machine> empty(machine.get(), "Empty", &last, 500, QByteArray(), kNoAnswer);
    CCommandDelayState<Machine> emptyDelay(machine.get(), "EmptyDelay", &empty, 10, QByteArray());
    machine->Start(&emptyDelay);
    EXPECT_EQ(port->Commands(), QByteArrayList {"^z;"});
}

TEST_F(EngineTest, RetryingStateSendsTenTimesThenFails)
{
    CCommandResponseRetryState<Machine> state(
        machine.get(), "S", &machine->m_finalState, 500, "^rv;", Result::NoRevisionResponse);
    machine->Start(&state);
    RunUntilIdle();
    EXPECT_EQ(port->Commands().size(), 10);
    EXPECT_EQ(machine->ResultCode(), Result::NoRevisionResponse);
    EXPECT_EQ(host.Now(), 5000u);
    // Every send is 500 ms after the one before.
    for (std::size_t i = 0; i < port->writes.size(); ++i)
        EXPECT_EQ(port->writes[i].time, i * 500);
}

TEST_F(EngineTest, ResponseInADelayStateIsDropped)
{
    CCommandDelayState<Machine> state(machine.get(), "S", &machine->m_finalState, 100, "^cf;");
    port->script = [](const QByteArray&, DWORD) { return QByteArray(";"); };
    machine->m_terminators = ";";
    machine->Start(&state);
    host.Advance(50);
    EXPECT_TRUE(machine->m_received.isEmpty());
    EXPECT_FALSE(machine->IsIdle());
    host.Advance(50);
    EXPECT_TRUE(machine->IsIdle());
}

TEST_F(EngineTest, PortFailureWhileSendingFailsWithThePlatformCode)
{
    port->failWrites = true;
    CCommandResponseState<Machine> state(machine.get(), "S", &machine->m_finalState, 500, "^q;", kNoAnswer);
    machine->Start(&state);
    EXPECT_TRUE(machine->IsIdle());
    EXPECT_EQ(machine->ResultCode(), Result::WriteFault);
}

// A send that meets a vanished device: the port is closed through the model by the time the
// task ends, whether or not the port's own notification follows, and the loss is said once.
class PortLostOnSend : public EngineTest, public ::testing::WithParamInterface<bool>, public IEventSink {
protected:
    void OnEvent(std::uint32_t, std::uintptr_t index, std::intptr_t) override
    {
        endings << QString("%1 port %2").arg(index, 0, 16).arg(model->m_serialPortState.m_value);
    }
    QStringList endings;
};

TEST_P(PortLostOnSend, IsClosedThroughTheModelAndReportedOnce)
{
    model->m_completion.AddObserver(this);
    port->loseOnSend = true;
    port->tellLoss = GetParam();
    CCommandResponseState<Machine> state(machine.get(), "S", &machine->m_finalState, 500, "^q;", kNoAnswer);
    machine->Start(&state);
    host.RunUntilIdle(1000);
    model->m_completion.RemoveObserver(this);
    EXPECT_EQ(endings, QStringList {QString("%1 port 0").arg(Result::PortLost, 0, 16)});
    EXPECT_EQ(model->m_portLost.m_value, 1);
    EXPECT_EQ(sink.status.filter("has gone away").size(), 1) << sink.status.join('|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Notification, PortLostOnSend, ::testing::Bool(),
    [](const auto& info) { return info.param ? "ToldAfterwards" : "NeverTold"; });

TEST_F(EngineTest, TaskEndPublishesStatusAndCompletionWithTheResult)
{
    CCompletionRecorder completion(*model);
    model->m_firmwareStatus.Set(FirmwareApplication);
    CCommandResponseState<Machine> state(machine.get(), "S", &machine->m_finalState, 500, "^q;", kNoAnswer);
    machine->Start(&state);
    RunUntilIdle();
    EXPECT_EQ(completion.results, QList<DWORD> {kNoAnswer});
    EXPECT_EQ(model->m_firmwareStatus.m_value, FirmwareNone); // a failure clears the status
}

TEST_F(EngineTest, OtherTimerIdentifiersAreNotHandled)
{
    CDelayState<Machine> delay(machine.get(), "D", &machine->m_finalState, 100);
    machine->Start(&delay);
    bool handled = false;
    machine->OnTimer(23, handled);
    EXPECT_FALSE(handled);
    EXPECT_FALSE(machine->IsIdle());
    machine->OnTimer(CProbeMachine::kTimerId, handled);
    EXPECT_TRUE(handled);
    EXPECT_TRUE(machine->IsIdle());
}
