// Task machines belong to the model: a new one replaces an idle one, a busy conversation is
// never orphaned, and a window may release a machine from inside its completion event.
#include "EngineFixture.h"
#include "link/states/CommandResponseState.h"

namespace {
class CTaskMachine : public CStateHost<CTaskMachine, IStateMachine> {
public:
    explicit CTaskMachine(CModel* model, int* destroyed)
        : CStateHost(model, 12)
        , m_destroyed(destroyed)
        , m_query(this, "QueryState", &m_finalState, 500, "^q;", Result::NoReadBlockResponse)
    {
    }
    ~CTaskMachine() override { ++*m_destroyed; }
    bool Start() { return StartAt(&m_query, true); }

private:
    int* m_destroyed;
    CCommandResponseState<CTaskMachine> m_query;
};

class CReleaseOnCompletion : public IEventSink {
public:
    explicit CReleaseOnCompletion(CModel* model)
        : m_model(model)
    {
    }
    void OnEvent(std::uint32_t id, std::uintptr_t result, std::intptr_t) override
    {
        if (id != 0x801D || !m_model->RunningMachine())
            return;
        results.push_back(result);
        m_model->RunningMachine()->Release();
    }
    std::vector<std::uintptr_t> results;

private:
    CModel* m_model;
};
} // namespace

TEST_F(EngineTest, MachineReleasedFromItsOwnCompletionEventIsDestroyedAfterwards)
{
    model->SetRunningMachine(nullptr);
    int destroyed = 0;
    CReleaseOnCompletion releaser(model.get());
    model->m_completion.AddObserver(&releaser);
    CTaskMachine* task = model->CreateMachine<CTaskMachine>(&destroyed);
    ASSERT_NE(task, nullptr);
    port->script = [](const QByteArray&, DWORD) { return QByteArray("^Q;"); };
    task->Start();
    host.RunUntil([&]() { return destroyed > 0; }, 5000);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(releaser.results, std::vector<std::uintptr_t> {0});
    EXPECT_EQ(model->RunningMachine(), nullptr);
    model->m_completion.RemoveObserver(&releaser);
}

TEST_F(EngineTest, NewTaskMachineReplacesAnIdleOneButNotABusyOne)
{
    model->SetRunningMachine(nullptr);
    int destroyed = 0;
    CTaskMachine* first = model->CreateMachine<CTaskMachine>(&destroyed);
    ASSERT_NE(first, nullptr);
    first->Start();
    EXPECT_EQ(model->CreateMachine<CTaskMachine>(&destroyed), nullptr); // the first still talks
    EXPECT_EQ(model->RunningMachine(), first);
    host.RunUntil([&]() { return first->IsIdle(); }, 5000);
    CTaskMachine* second = model->CreateMachine<CTaskMachine>(&destroyed);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(model->RunningMachine(), second);
    second->Release();
    EXPECT_EQ(destroyed, 2);
}

TEST_F(EngineTest, NoTaskMachineWhileTheContactMachineIsBusy)
{
    model->SetRunningMachine(nullptr);
    model->m_port.Set("TEST");
    model->ContactMachine()->StartContact(); // nobody answers: it keeps polling
    int destroyed = 0;
    EXPECT_EQ(model->CreateMachine<CTaskMachine>(&destroyed), nullptr);
    model->ContactMachine()->Cancel();
    host.RunUntil([&]() { return model->ContactMachine()->IsIdle(); }, 10000);
    CTaskMachine* task = model->CreateMachine<CTaskMachine>(&destroyed);
    ASSERT_NE(task, nullptr);
    task->Release();
}
