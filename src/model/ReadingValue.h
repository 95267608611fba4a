#pragma once
#include "model/ObservableValue.h"

// Whether a reading of the amplifier is current: set by every `Set` (a value taken from an
// answer), cleared when a poll cycle begins, fails, or the link goes. A reading that is not
// current keeps its last content, but nothing may show it as live.
class CReadingState {
public:
    bool IsCurrent() const { return m_current; }
    void MarkStale() { m_current = false; }

protected:
    bool m_current = false;
};

// One reading of the amplifier.
template <class T>
class CReadingValue : public CObservableValue<T>, public CReadingState {
public:
    using CObservableValue<T>::CObservableValue;

    void Set(const T& value) override
    {
        m_current = true;
        CObservableValue<T>::Set(value);
    }
    // Puts `value` in place of what is known without taking it for a reading (a port changed:
    // the old amplifier's state says nothing about the new one).
    void Forget(const T& value)
    {
        m_current = false;
        CObservableValue<T>::Set(value);
    }
};
