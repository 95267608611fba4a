#pragma once
#include "model/EventSink.h"
#include <cstdint>
#include <vector>

// Something observers can follow: an event id and the observers in the order they attached.
class CEventSource {
public:
    explicit CEventSource(std::uint32_t eventId) : m_eventId(eventId) {}
    virtual ~CEventSource() = default;
    CEventSource(const CEventSource&) = delete;
    CEventSource& operator=(const CEventSource&) = delete;

    std::uint32_t EventId() const { return m_eventId; }

    // Attaching an observer that is already attached changes nothing.
    bool AddObserver(IEventSink* sink);
    void RemoveObserver(IEventSink* sink);
    bool HasObserver(const IEventSink* sink) const;
    std::size_t ObserverCount() const { return m_observers.size(); }

    // Tells every observer, in attachment order. An observer removed by an earlier one during
    // the same notification is not called.
    void Notify(std::uintptr_t index = 0, std::intptr_t extra = 0);

private:
    std::uint32_t m_eventId;
    std::vector<IEventSink*> m_observers;
};
