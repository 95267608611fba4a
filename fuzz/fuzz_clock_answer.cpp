// The clock's answer on arbitrary bytes: a time it accepts lies in the clock's ranges, and the
// set command built from it, answered back, reads as the same time.
#include "maintenance/ClockText.h"
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray answer(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<SYSTEMTIME> time = ClockText::ParseAnswer(answer);
    if (!time)
        return 0;
    if (time->wYear > 99 || time->wMonth > 12 || time->wDay > 31 || time->wHour > 23 || time->wMinute > 59
        || time->wSecond > 59)
        std::abort();
    const QByteArray set = ClockText::BuildSetCommand(*time);
    if (ClockText::ParseAnswer("^CC" + set.mid(3)) != time || ClockText::Format(*time).size() != 17)
        std::abort();
    (void)ClockText::DifferenceSeconds(*time, ClockText::ComputerTime(true));
    return 0;
}
