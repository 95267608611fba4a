#include "config/LinkSummary.h"
#include "config/ConfigStringIds.h"
#include "model/StringTable.h"

namespace LinkSummary {
QString SaveLine(const CLinkQuality& link)
{
    return link.m_differingBlocks ? FormatResource(IDS_CONFIG_DIFFERING_BLOCKS, link.m_differingBlocks) : QString();
}

QString RestoreLine(const CLinkQuality& link)
{
    return link.m_readBackBlocks
        ? FormatResource(IDS_CONFIG_READ_BACK_DONE, link.m_readBackBlocks, link.m_rewrittenBlocks)
        : QString();
}
} // namespace LinkSummary
