#pragma once
#include "link/ConnectionWatch.h"
#include "model/EventHost.h"
#include <QString>
#include <functional>
#include <memory>

class CModel;
class CLineArbiter;

// Holds the amplifier's port for the station server: makes contact as the programs do, gives
// the port to the arbiter while the amplifier is in contact, and when the port goes away (a
// USB adapter pulled, a pseudo-terminal's far end closed) or the amplifier cannot be found,
// tries again every kRetryMs by the same name, so that the adapter plugged back in under the
// same path is taken up again. It never gives up: the amplifier going away is no reason to stop.
class CStationServer {
public:
    static constexpr DWORD kRetryMs = 2000;

    CStationServer(CModel& model, CLineArbiter& arbiter, std::function<void(const QString&)> log);
    ~CStationServer();
    CStationServer(const CStationServer&) = delete;
    CStationServer& operator=(const CStationServer&) = delete;

    void Start();
    // Lets go of the port.
    void Stop();
    bool InContact() const { return m_attached; }

private:
    void Changed();
    void Evaluate();
    void Recontact(bool announce);
    void LogOnce(const QString& text);

    CModel& m_model;
    CLineArbiter& m_arbiter;
    std::function<void(const QString&)> m_log;
    CConnectionWatch m_watch;
    IEventHost::TimerHandle m_retry = 0;
    bool m_attached = false;
    int m_attachedStatus = 0;
    bool m_stopped = true;
    bool m_evaluatePending = false;
    QString m_lastLine;
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);
};
