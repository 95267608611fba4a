#pragma once
#include "model/EventHost.h"
#include <QElapsedTimer>
#include <QObject>
#include <unordered_map>

class QTimer;

// The event host of the programs: Qt timers and queued calls on the thread of the host.
class CQtEventHost : public QObject, public IEventHost {
    Q_OBJECT
public:
    CQtEventHost();
    ~CQtEventHost() override;
    DWORD TickCount() const override;
    std::uint64_t MicroTicks() const override;
    bool HasFineClock() const override { return true; }
    TimerHandle StartTimer(DWORD ms, std::function<void()> callback) override;
    void StopTimer(TimerHandle handle) override;
    void Post(std::function<void()> callback) override;

private:
    QElapsedTimer m_clock;
    TimerHandle m_nextHandle = 1;
    std::unordered_map<TimerHandle, QTimer*> m_timers;
};
