#pragma once
#include "model/PersistentValue.h"

// A persistent number kept within bounds: a stored value outside them is clamped on loading
// (the saved copy keeps what was read, so the clamped value is written back at the next save).
template <class T>
class CPersistentBoundedValue : public CPersistentValue<T> {
public:
    CPersistentBoundedValue(std::uint32_t eventId, const QString& name, const T& defaultValue, const T& minimum, const T& maximum)
        : CPersistentValue<T>(eventId, name, defaultValue), m_minimum(minimum), m_maximum(maximum)
    {
    }

    T m_minimum;
    T m_maximum;

protected:
    void AfterLoad() override
    {
        if (this->m_value < m_minimum)
            this->m_value = m_minimum;
        else if (this->m_value > m_maximum)
            this->m_value = m_maximum;
    }
};
