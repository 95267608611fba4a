// The release notes' RTF reader on arbitrary bytes: it never fails, its nesting is bounded,
// and what it answers is a text view's HTML of bounded size.
#include "firmware/RtfToHtml.h"
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray rtf(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString html = RtfToHtml(rtf);
    if (html.size() > 64 * rtf.size() + 4096)
        std::abort();
    return 0;
}
