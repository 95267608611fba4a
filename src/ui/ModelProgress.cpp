#include "ui/ModelProgress.h"
#include "model/LinkStringIds.h"
#include "model/StringTable.h"
#include <QLabel>
#include <QProgressBar>
#include <algorithm>
#include <climits>

namespace ModelProgress {

void Observe(CModel& model, IEventSink* dialog)
{
    model.m_progressPosition.AddObserver(dialog);
    model.m_progressRange.AddObserver(dialog);
    model.m_completion.AddObserver(dialog);
}

void Forget(CModel& model, IEventSink* dialog)
{
    model.m_progressPosition.RemoveObserver(dialog);
    model.m_progressRange.RemoveObserver(dialog);
    model.m_completion.RemoveObserver(dialog);
}

bool Show(const CModel& model, std::uint32_t eventId, QProgressBar* bar)
{
    // A firmware image's byte count is a DWORD; the bar counts in int.
    if (eventId == model.m_progressPosition.EventId())
        bar->setValue(static_cast<int>(std::min<DWORD>(model.m_progressPosition.m_value, INT_MAX)));
    else if (eventId == model.m_progressRange.EventId())
        bar->setRange(0, static_cast<int>(std::min<DWORD>(model.m_progressRange.m_value, INT_MAX)));
    else
        return false;
    return true;
}

void ShowRetries(QLabel* label, DWORD retries)
{
    label->setVisible(retries != 0);
    if (retries != 0)
        label->setText(FormatResource(IDS_LINK_RETRIES, retries));
}

} // namespace ModelProgress
