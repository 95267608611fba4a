#include "operate/OperateSnapshot.h"
#include "model/Model.h"
#include "operate/OperateDerived.h"

namespace {
template <class R, class T> std::optional<R> Live(const CModel& model, const CReadingValue<T>& reading)
{
    if (!OperateDerived::IsLive(model, reading))
        return std::nullopt;
    return static_cast<R>(reading.m_value);
}
} // namespace

namespace OperateSnapshots {
OperateSnapshot Take(const CModel& m, const QDateTime& at, std::uint64_t tick)
{
    OperateSnapshot r;
    r.at = at;
    r.tick = tick;
    if (OperateDerived::IsLive(m, m.m_displayText))
        r.display = m.m_displayText.m_value;
    r.forwardW = Live<unsigned>(m, m.m_powerForward);
    r.reflectedW = Live<unsigned>(m, m.m_powerReflected);
    r.inputW = Live<unsigned>(m, m.m_powerInput);
    r.swrTenths = Live<unsigned>(m, m.m_swr);
    r.paCurrentA = Live<unsigned>(m, m.m_paCurrent);
    r.paVoltageMv = Live<unsigned>(m, m.m_paVoltage);
    r.temperatureC = Live<unsigned>(m, m.m_temperature);
    r.frequencyKhz = Live<unsigned>(m, m.m_frequency);
    r.band = Live<int>(m, m.m_band);
    r.antenna = Live<unsigned>(m, m.m_antenna);
    if (OperateDerived::IsLive(m, m.m_operateStandby))
        r.operate = m.m_operateStandby.m_value != 0;
    if (OperateDerived::IsLive(m, m.m_powerStatus))
        r.powerOn = m.m_powerStatus.m_value != 0;
    r.faultCode = Live<unsigned>(m, m.m_faultCode);
    r.overdriveCode = Live<unsigned>(m, m.m_overdriveCode);
    return r;
}
} // namespace OperateSnapshots
