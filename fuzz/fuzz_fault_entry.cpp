// A fault-log slot as read from the amplifier: any 32 bytes decode to one line of text with
// its slot, time stamp and name, and to fields a script can read, without fault.
#include "maintenance/FaultEntry.h"
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    BYTE bytes[FaultLog::kEntrySize] = {};
    std::copy(data, data + std::min<std::size_t>(size, sizeof bytes), bytes);
    const CFaultEntry entry = DecodeFaultEntry(bytes);
    const QString line = entry.Line(1023);
    if (!line.contains(entry.TimeStamp()) || !line.contains(entry.NameField()) || !line.endsWith("\r\n"))
        std::abort();
    for (const CFaultEntry::Field& field : entry.Fields())
        if (field.name.isEmpty() || field.value != field.value)
            std::abort();
    (void)entry.Detail();
    return 0;
}
