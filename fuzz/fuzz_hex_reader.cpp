// The Intel HEX reader on arbitrary text: it must never read or write outside the text and the
// image, and checking a text must give the same verdict as loading it.
#include "firmware/FirmwareImage.h"
#include "firmware/IntelHexReader.h"
#include "model/ResultCode.h"
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr DWORD kLow = CFirmwareImage::kLoaderLow;
    constexpr DWORD kHigh = CFirmwareImage::kLoaderHigh;
    // Exactly the window, so that any write past it is caught by the address sanitizer.
    static std::vector<BYTE> image(kHigh - kLow);
    const char* begin = reinterpret_cast<const char*>(data);
    const char* end = begin + size;

    CIntelHexReader loader(kLow, kHigh, image.data(), image.data() + image.size());
    const bool loaded = loader.Parse(begin, end);
    CIntelHexReader checker(kLow, kHigh);
    const bool checked = checker.Parse(begin, end);

    if (loaded != checked || loader.ErrorCode() != checker.ErrorCode() || loader.ErrorLine() != checker.ErrorLine())
        std::abort();
    if (loaded != (loader.ErrorCode() == 0))
        std::abort();
    if (!loaded) {
        const DWORD code = loader.ErrorCode();
        if (code != Result::UnexpectedHexCharacter && code != Result::HexBadRecordType && code != Result::HexChecksum
            && code != Result::HexNoEndRecord)
            std::abort();
        if (loader.ErrorLine() == 0)
            std::abort();
    }
    if (loader.Stats().bytesInWindow > loader.Stats().dataBytes)
        std::abort();
    return 0;
}
