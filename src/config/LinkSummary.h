#pragma once
// The closing lines of a save and a restore on a noisy line: how many blocks were read more
// than once or written again. Empty on a clean line.
#include "link/LinkQuality.h"
#include <QString>

namespace LinkSummary {
QString SaveLine(const CLinkQuality& link);
QString RestoreLine(const CLinkQuality& link);
} // namespace LinkSummary
