#pragma once
#include "model/EventSource.h"

// One model value. Setting it always notifies, even when the value does not change.
template <class T>
class CObservableValue : public CEventSource {
public:
    explicit CObservableValue(std::uint32_t eventId, const T& initial = T()) : CEventSource(eventId), m_value(initial) {}

    virtual void Set(const T& value)
    {
        if (&value != &m_value)
            m_value = value;
        Notify(0, 0);
    }
    const T& Get() const { return m_value; }
    operator const T&() const { return m_value; }

    T m_value;
};
