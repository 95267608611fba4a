#pragma once
#include "model/EventSink.h"
#include "model/Model.h"
#include <cstdint>

class QLabel;
class QProgressBar;

// A progress dialog's view of the model: it observes the progress range, the progress position
// and the completion event together, and shows the first two on its bar.
namespace ModelProgress {

void Observe(CModel& model, IEventSink* dialog);
void Forget(CModel& model, IEventSink* dialog);

// Shows a range or position event on the bar; false for any other event.
bool Show(const CModel& model, std::uint32_t eventId, QProgressBar* bar);

// "Retries so far: N" under the bar, hidden while there are none.
void ShowRetries(QLabel* label, DWORD retries);

} // namespace ModelProgress
