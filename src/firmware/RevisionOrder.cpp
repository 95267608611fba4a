#include "firmware/RevisionOrder.h"

namespace FirmwareRevision {
RevisionOrder Compare(WORD installed, WORD available)
{
    // The placeholders are not revisions: " N/A " (9999) above every real one would make any
    // file look older, and "Loading" means the amplifier has no firmware to compare with.
    const auto real = [](WORD revision) {
        return revision != kRevisionUnknown && revision != kRevisionNotAvailable && revision != kRevisionLoading;
    };
    if (!real(installed) || !real(available))
        return RevisionOrder::Unknown;
    if (available > installed)
        return RevisionOrder::Newer;
    return available == installed ? RevisionOrder::Same : RevisionOrder::Older;
}
} // namespace FirmwareRevision
