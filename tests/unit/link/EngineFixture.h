#pragma once
// A model on a scripted port in virtual time, and a probe machine that runs any generic state
// the test builds around it.
#include "ScriptedPort.h"
#include "link/StateHost.h"
#include "model/QtSettingsStore.h"
#include "../../support/SimHarness.h"
#include <QTemporaryDir>
#include <gtest/gtest.h>

class CProbeMachine : public CStateHost<CProbeMachine, IStateMachine> {
public:
    static constexpr DWORD kTimerId = 99;
    explicit CProbeMachine(CModel* model) : CStateHost(model, kTimerId) {}
    bool Start(CState<CProbeMachine>* entry, bool onlyWhenIdle = true) { return StartAt(entry, onlyWhenIdle); }
    void Release() override {}  // owned by the test
    int finalVisits = 0;

protected:
    void OnFinalState() override
    {
        ++finalVisits;
        CStateHost::OnFinalState();
    }
};

class EngineTest : public ::testing::Test {
protected:
    EngineTest()
    {
        model = std::make_unique<CModel>(host, std::make_unique<CQtSettingsStore>(dir.filePath("s.ini")));
        model->SetApplicationDataFolder(dir.filePath("appdata"));
        model->SetPortFactory([this](const QString&) {
            auto p = std::make_unique<CScriptedPort>(host);
            port = p.get();
            return p;
        });
        model->SetStatusSink(&sink);
        model->OpenPort("TEST", true);
        machine = std::make_unique<CProbeMachine>(model.get());
        model->SetRunningMachine(machine.get());
    }
    ~EngineTest() override
    {
        model->SetRunningMachine(nullptr);
        machine.reset();
    }
    bool RunUntilIdle(std::uint64_t limitMs = 600000)
    {
        return host.RunUntil([&]() { return machine->IsIdle(); }, limitMs);
    }

    QTemporaryDir dir;
    CVirtualEventHost host;
    CRecordingSink sink;
    std::unique_ptr<CModel> model;
    CScriptedPort* port = nullptr;
    std::unique_ptr<CProbeMachine> machine;
};
