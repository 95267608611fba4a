#include "operate/OperateDerived.h"
#include "operate/OperateText.h"
#include <algorithm>

namespace {
void UpdatePeak(const CReadingValue<WORD>& reading, CObservableValue<WORD>& peak, bool hold)
{
    if (!reading.IsCurrent())
        return;
    const WORD power = reading.m_value;
    if (!hold || power == 0 || power > peak.m_value)
        peak.Set(power);
}

std::optional<WORD> Shown(const CModel& model, const CReadingValue<WORD>& reading, const CObservableValue<WORD>& peak)
{
    if (!OperateDerived::IsLive(model, reading))
        return std::nullopt;
    const WORD power = reading.m_value;
    return model.m_peakHoldVarn.m_value != 0 && power != 0 ? std::max(peak.m_value, power) : power;
}
} // namespace

namespace OperateDerived {
bool IsLive(const CModel& model, const CReadingState& reading)
{
    return model.m_firmwareStatus.m_value == FirmwareApplication && reading.IsCurrent();
}

void UpdatePeaks(CModel& model)
{
    const bool hold = model.m_peakHoldVarn.m_value != 0;
    UpdatePeak(model.m_powerForward, model.m_forwardPowerPeak, hold);
    UpdatePeak(model.m_powerInput, model.m_inputPowerPeak, hold);
}

std::optional<WORD> ShownForward(const CModel& model)
{
    return Shown(model, model.m_powerForward, model.m_forwardPowerPeak);
}

std::optional<WORD> ShownInput(const CModel& model)
{
    return Shown(model, model.m_powerInput, model.m_inputPowerPeak);
}

int Efficiency(const CModel& model)
{
    if (!IsLive(model, model.m_powerForward) || !IsLive(model, model.m_paCurrent) || !IsLive(model, model.m_paVoltage))
        return kNotAvailable;
    const int percent
        = OperateText::Efficiency(model.m_powerForward.m_value, model.m_paCurrent.m_value, model.m_paVoltage.m_value);
    if (percent == OperateText::kNoEfficiency)
        return kNoDcInput;
    return percent == OperateText::kImplausibleEfficiency ? kNotAvailable : percent;
}

SwrZones SwrScale(const CModel& model)
{
    const int band = model.m_band.m_value;
    if (band >= 0 && band < 11) {
        // Thresholds are in tenths, 10 to 999; zeros mean the settings were never read.
        const WORD retune = model.m_swrThresholdRetune.m_values[static_cast<std::size_t>(band)];
        const WORD stop = model.m_swrThresholdStop.m_values[static_cast<std::size_t>(band)];
        if (retune >= 10 && stop > retune)
            return {retune / 10.0, stop / 10.0, true};
    }
    return {1.5, 2.0, false};
}
} // namespace OperateDerived
