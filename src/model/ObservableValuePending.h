#pragma once
#include "model/ObservableValue.h"

// A value the user can edit before it is applied to the amplifier: the pending copy holds the
// edit; Set replaces both.
template <class T>
class CObservableValuePending : public CObservableValue<T> {
public:
    explicit CObservableValuePending(std::uint32_t eventId, const T& initial = T())
        : CObservableValue<T>(eventId, initial), m_pending(initial)
    {
    }

    void Set(const T& value) override
    {
        const T copy = value;
        m_pending = copy;
        this->m_value = copy;
        this->Notify(0, 0);
    }
    bool HasUnsavedChange() const { return !(m_pending == this->m_value); }

    T m_pending;
};
