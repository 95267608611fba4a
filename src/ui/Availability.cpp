#include "ui/Availability.h"
#include <QVariant>
#include <QWidget>

namespace {
const char* const kOwnToolTip = "ownToolTip";
} // namespace

void ApplyAvailability(QWidget* control, const CActionAvailability& availability)
{
    QVariant own = control->property(kOwnToolTip);
    if (!own.isValid()) {
        own = control->toolTip();
        control->setProperty(kOwnToolTip, own);
    }
    control->setEnabled(availability.enabled);
    control->setToolTip(availability.enabled ? own.toString() : availability.reason);
}
