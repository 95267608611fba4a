#pragma once
#include <QObject>
#include <functional>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into a call on the event loop, so that a server can clean
// up (close its descriptors, remove its link) instead of dying in the middle of a write. One
// instance per process.
class CTerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit CTerminationSignals(std::function<void(int signal)> onSignal, QObject* parent = nullptr);
    ~CTerminationSignals() override;
    bool IsActive() const { return m_notifier != nullptr; }

private:
    std::function<void(int)> m_onSignal;
    QSocketNotifier* m_notifier = nullptr;
};
