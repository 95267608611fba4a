#pragma once
// What the front ends show beside the raw readings, decided once for all of them: whether a
// reading is live, peak hold, efficiency, and where the SWR scale turns amber and red.
#include "model/Model.h"
#include <iterator>
#include <optional>

namespace OperateDerived {
// A reading is live when the amplifier's application answers and the last poll cycle read it;
// otherwise it is the last one known, and nothing may show it as live.
bool IsLive(const CModel& model, const CReadingState& reading);

// Peak hold, once per poll cycle (the machine calls it as the cycle ends): with the
// "PeakHoldVarn" setting on, a forward or input reading of 0 or above the peak becomes the peak;
// with it off the peak follows the reading, so switching peak hold on starts from now. A
// reading the cycle did not refresh leaves its peak alone.
void UpdatePeaks(CModel& model);
// Forward and input power as shown: the peak with peak hold on, else the reading; nothing when
// the reading is not live.
std::optional<WORD> ShownForward(const CModel& model);
std::optional<WORD> ShownInput(const CModel& model);

// Efficiency in percent of the PA's DC input. kNoDcInput when the PA draws nothing (no
// efficiency to speak of); kNotAvailable when a reading it needs is not live, or it would be
// 100 % or more (a reading that cannot be right).
constexpr int kNoDcInput = -1;
constexpr int kNotAvailable = -2;
int Efficiency(const CModel& model);

// The meters' scales for a 1.5 kW amplifier, the same on every front end: caution and danger
// marks where a careful operator would look twice. The SWR marks the bar shows follow SwrScale.
struct MeterScale {
    const char* name;
    double minimum, maximum, caution, danger;
};
enum class Meter { Forward, Reflected, Swr, PaCurrent, Temperature, Count };
inline constexpr MeterScale kMeterScales[] = {{"forward", 0, 1500, 1200, 1400}, {"reflected", 0, 150, 60, 100},
    {"swr", 1.0, 3.0, 1.5, 2.0}, {"paCurrent", 0, 60, 45, 55}, {"temperature", 0, 100, 60, 75}};
static_assert(std::size(kMeterScales) == static_cast<std::size_t>(Meter::Count));
constexpr const MeterScale& ScaleOf(Meter meter)
{
    return kMeterScales[static_cast<int>(meter)];
}

// The SWR scale's caution and danger marks (SWR, not tenths) for the band the amplifier is on:
// its own retune and stop thresholds once the settings have been read (true), else 1.5 and 2.0
// (false).
struct SwrZones {
    double caution;
    double danger;
    bool fromAmplifier;
};
SwrZones SwrScale(const CModel& model);
} // namespace OperateDerived
