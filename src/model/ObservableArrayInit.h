#pragma once
#include "model/ObservableArray.h"

// An observable array whose elements all start at one fill value.
template <class T, std::size_t N>
class CObservableArrayInit : public CObservableArray<T, N> {
public:
    CObservableArrayInit(std::uint32_t eventId, const T& fill) : CObservableArray<T, N>(eventId)
    {
        this->m_values.fill(fill);
    }
};
