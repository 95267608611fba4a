#pragma once
// A model on a scripted port in virtual time, and a probe machine that runs any generic state
// the test builds around it.
#include "ScriptedPort.h"
#include "link/StateHost.h"
#include "model/QtSettingsStore.h"
#include "../../support/SimHarness.h"
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <functional>
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

// An amplifier holding `memory` that answers "^er" reads, with an optional tamper step.
inline CScriptedPort::Script EepromAnswers(const QByteArray* memory, std::function<QByteArray(QByteArray)> tamper = {})
{
    return [memory, tamper](const QByteArray& written, DWORD) -> QByteArray {
        if (!written.startsWith("^er") || written.size() != 16)
            return {};
        const DWORD address = written.mid(3, 8).toUInt(nullptr, 16);
        const DWORD count = written.mid(11, 2).toUInt(nullptr, 16);
        QByteArray answer = "^ER" + written.mid(3, 10);
        unsigned sum = 0;
        for (int i = 0; i < 4; ++i)
            sum += (address >> (8 * i)) & 0xFF;
        sum += count;
        for (DWORD i = 0; i < count; ++i) {
            const auto b = static_cast<BYTE>(memory->at(static_cast<qsizetype>(address + i)));
            answer += QByteArray::number(b, 16).rightJustified(2, '0').toUpper();
            sum += b;
        }
        answer += QByteArray::number((0x100 - (sum & 0xFF)) & 0xFF, 16).rightJustified(2, '0').toUpper() + ";";
        return tamper ? tamper(answer) : answer;
    };
}

inline QByteArray RandomMemory()
{
    QByteArray memory(0x40000, '\0');
    QRandomGenerator random(7);
    for (auto& b : memory)
        b = static_cast<char>(random.bounded(256));
    return memory;
}
