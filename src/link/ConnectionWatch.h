#pragma once
#include "model/EventSink.h"
#include <functional>
#include <vector>

class CEventSource;
class CModel;

// Follows every model value the connection state and the device buttons are derived from (port,
// port state and loss, speed, firmware status, revision, serial number, the contact's start and
// end, the end of every task) and calls back on each change. The values are read afresh by
// the callback, so the order of the notifications does not matter.
class CConnectionWatch : public IEventSink {
public:
    CConnectionWatch(CModel& model, std::function<void()> changed);
    ~CConnectionWatch();
    CConnectionWatch(const CConnectionWatch&) = delete;
    CConnectionWatch& operator=(const CConnectionWatch&) = delete;

    // Attached: the callback runs once at once, then on every change; detached: never.
    void Attach();
    void Detach();
    bool IsAttached() const { return m_attached; }

    void OnEvent(std::uint32_t eventId, std::uintptr_t index, std::intptr_t extra) override;

private:
    std::vector<CEventSource*> Sources() const;

    CModel& m_model;
    std::function<void()> m_changed;
    bool m_attached = false;
};
