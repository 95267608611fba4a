#pragma once
// The commands that expect no answer: cache flush, power off, power on.
#include "link/states/CacheFlushState.h"
#include "link/states/SetPowerOffState.h"
#include "link/states/SetPowerOnState.h"
