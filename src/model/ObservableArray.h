#pragma once
#include "model/EventSource.h"
#include <array>

// N values under one event id; the notification carries the element index. An index outside
// the array is ignored without notification.
template <class T, std::size_t N>
class CObservableArray : public CEventSource {
public:
    explicit CObservableArray(std::uint32_t eventId) : CEventSource(eventId), m_values{} {}

    virtual void Set(unsigned index, const T& value)
    {
        if (index >= N)
            return;
        m_values[index] = value;
        Notify(index, 0);
    }
    const T& Get(unsigned index) const { return m_values.at(index); }
    const T& operator[](unsigned index) const { return m_values.at(index); }
    static constexpr std::size_t Size() { return N; }

    std::array<T, N> m_values;
};
