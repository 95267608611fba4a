#pragma once
#include "model/ObservableValue.h"

// The firmware status of the amplifier in contact (none, boot loader, application).
template <class M, class S>
class CFirmwareStatusValue : public CObservableValue<S> {
public:
    CFirmwareStatusValue(std::uint32_t eventId, M& model) : CObservableValue<S>(eventId, S{}), m_model(model) {}

    // Sets the status and notifies only when it differs, as the end of every conversation does.
    bool Change(S status)
    {
        if (this->m_value == status)
            return false;
        this->Set(status);
        return true;
    }

private:
    [[maybe_unused]] M& m_model;
};
