#pragma once
#include "model/EventSource.h"
#include "model/Types.h"

// The serial port speed as an observable value: it holds nothing itself and reads the open
// port's current speed from the model; whoever changes the speed notifies it.
template <class M>
class CSerialPortSpeedValue : public CEventSource {
public:
    CSerialPortSpeedValue(std::uint32_t eventId, M& model) : CEventSource(eventId), m_model(model) {}
    DWORD Get() const { return m_model.PortSpeed(); }

private:
    M& m_model;
};
