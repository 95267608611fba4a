#pragma once
#include "model/ResultCode.h"
#include "model/Types.h"

namespace Maintenance {
// The firmware status a maintenance task leaves behind. A user's cancel and a boot loader found
// by "^I;" come from an amplifier that was answering: they keep the status found (another
// device has none already). Every other failure (no answer, a broken port) leaves no device.
inline int StatusAfter(DWORD result, int status, DWORD bootLoaderCode)
{
    if (!Result::Failed(result) || result == Result::Cancelled || result == bootLoaderCode)
        return status;
    return FirmwareNone;
}
} // namespace Maintenance
