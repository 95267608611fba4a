#pragma once
#include "model/ObservableArrayInit.h"

// An observable array with a pending copy of every element (edits not yet applied).
template <class T, std::size_t N>
class CObservableArrayPending : public CObservableArrayInit<T, N> {
public:
    CObservableArrayPending(std::uint32_t eventId, const T& fill = T()) : CObservableArrayInit<T, N>(eventId, fill)
    {
        m_pending.fill(fill);
    }

    void Set(unsigned index, const T& value) override
    {
        if (index >= N)
            return;
        m_pending[index] = value;
        this->m_values[index] = value;
        this->Notify(index, 0);
    }
    bool HasUnsavedChange() const
    {
        for (std::size_t i = 0; i < N; ++i)
            if (!(m_pending[i] == this->m_values[i]))
                return true;
        return false;
    }

    std::array<T, N> m_pending;
};
