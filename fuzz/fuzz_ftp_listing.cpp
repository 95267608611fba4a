// The file server's folder listing on arbitrary bytes: every entry that comes out has a name
// and a known kind, parsing a line on its own gives the same entry, and a name judged safe
// never holds a separator or "..", whatever the server sent.
#include "firmware/download/FtpListing.h"
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray listing(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QList<CFtpListEntry> entries = FtpListing::Parse(listing);
    qsizetype lines = listing.count('\n') + 1;
    if (entries.size() > lines)
        std::abort();
    for (const CFtpListEntry& entry : entries) {
        if (entry.name.isEmpty() || entry.size < -1)
            std::abort();
        if (FtpListing::IsSafeFileName(entry.name)
            && (entry.name.contains(QLatin1Char('/')) || entry.name.contains(QLatin1Char('\\'))
                || entry.name.contains(QLatin1String(".."))))
            std::abort();
        if (FtpListing::Printable(entry.name).contains(QLatin1Char('\n')))
            std::abort();
    }
    if (!listing.contains('\n') && !entries.isEmpty()) {
        CFtpListEntry single;
        if (!FtpListing::ParseLine(listing, &single) || single.name != entries[0].name)
            std::abort();
    }
    return 0;
}
