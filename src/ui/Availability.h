#pragma once
#include "link/ConnectionState.h"

class QWidget;

// Enables the control when the action can work; otherwise disables it and puts the reason in
// its tooltip, so that a greyed-out button says why. The control's own tooltip comes back once
// it is enabled again.
void ApplyAvailability(QWidget* control, const CActionAvailability& availability);
