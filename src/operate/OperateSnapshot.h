#pragma once
// What one poll cycle read, in the amplifier's own units, apart from the model: the station
// server's endpoints, the session summary and the telemetry lines take it. A reading the cycle
// did not bring (unanswered, damaged, not asked, or the amplifier switched off) is absent: an
// old value never stands in for a new one.
#include "model/Types.h"
#include <QDateTime>
#include <QString>
#include <optional>

class CModel;

struct OperateSnapshot {
    QDateTime at; // when the cycle ended; invalid before the first one
    std::uint64_t tick = 0; // the same moment on the event host's clock, in ms
    std::optional<QString> display; // the display's lines, "\r\n" between them
    std::optional<unsigned> forwardW, reflectedW, inputW;
    std::optional<unsigned> swrTenths; // 15 is an SWR of 1.5
    std::optional<unsigned> paCurrentA;
    std::optional<unsigned> paVoltageMv;
    std::optional<unsigned> temperatureC;
    std::optional<unsigned> frequencyKhz; // 0: nothing measured
    std::optional<int> band; // 0 (1.8 MHz) to 10 (50 MHz)
    std::optional<unsigned> antenna;
    std::optional<bool> operate; // true operate, false standby
    std::optional<bool> powerOn;
    std::optional<unsigned> faultCode; // 0: no fault
    std::optional<unsigned> overdriveCode;
};

namespace OperateSnapshots {
// The readings of the cycle that has just ended, as live as OperateDerived::IsLive says.
OperateSnapshot Take(const CModel& model, const QDateTime& at, std::uint64_t tick);
} // namespace OperateSnapshots
