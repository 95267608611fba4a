#pragma once
// Machine tests run on the simulated amplifier in virtual time (CSimHarness).
#include "SimHarness.h"
#include "model/EventSink.h"
#include <QByteArray>
#include <QList>
#include <vector>

// The simulated amplifier's own answer to a read command, optionally for another address or
// with a damaged check byte; empty when the command is not a well-formed read.
QByteArray SimReadAnswer(CSimDevice& device, const QByteArray& command, DWORD addressDelta = 0, int checkDelta = 0);

// Every command of the wire log (each ends with ";").
QList<QByteArray> Commands(const QByteArray& log);
// The commands that start with `prefix`.
QList<QByteArray> CommandsStartingWith(const QByteArray& log, const QByteArray& prefix);

// Records the completion events (0x801D) and the virtual time at which they came.
class CCompletionRecorder : public IEventSink {
public:
    CCompletionRecorder(CSimHarness& harness);
    ~CCompletionRecorder();
    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;
    QList<DWORD> results;
    QList<std::uint64_t> times;

private:
    CSimHarness& m_harness;
};

// Keeps "about one answer in `every`" corrupted (one flipped bit) by arming the simulated
// amplifier's corrupt-the-n-th-answer fault again each time it has struck, at random distances.
class CAnswerCorrupter {
public:
    CAnswerCorrupter(CSimDevice& device, int every, std::uint32_t seed);
    void Rearm();

private:
    CSimDevice& m_device;
    int m_every;
    std::uint32_t m_state;
};

// Runs the machine to its end while the corrupter is kept armed.
bool RunWithCorrupter(CSimHarness& harness, IStateMachine& machine, CAnswerCorrupter& corrupter, std::uint64_t limitMs);
