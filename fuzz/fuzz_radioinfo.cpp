// The RadioInfo datagram parser on arbitrary bytes: it never accepts more than a datagram may
// hold, a frequency it gives is positive and in range, and the same bytes read the same twice.
#include "operate/follow/RadioInfo.h"
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray datagram(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<RadioInfo> info = RadioInfos::Parse(datagram);
    if (!info)
        return 0;
    if (datagram.size() > RadioInfos::kMaxDatagram || !datagram.contains("RadioInfo"))
        std::abort();
    if (info->frequencyHz <= 0 || info->frequencyHz > 10000000000LL || info->frequencyHz % 10 != 0)
        std::abort();
    if (info->radioNr < 0 || info->radioNr > 99 || info->app.size() > 64)
        std::abort();
    const std::optional<RadioInfo> again = RadioInfos::Parse(datagram);
    if (!again || again->frequencyHz != info->frequencyHz || again->radioNr != info->radioNr)
        std::abort();
    return 0;
}
