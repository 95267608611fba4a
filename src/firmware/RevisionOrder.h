#pragma once
// How a firmware file's revision stands against the revision the amplifier runs.
#include "model/Types.h"

enum class RevisionOrder {
    Unknown, // one of the two is not a revision (not read yet, " N/A ", loading, no file)
    Newer,
    Same,
    Older,
};

namespace FirmwareRevision {
// The available revision against the installed one; only two real revisions compare.
RevisionOrder Compare(WORD installed, WORD available);
} // namespace FirmwareRevision
