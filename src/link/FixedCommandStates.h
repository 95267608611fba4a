#pragma once
// The commands that expect no answer: cache flush, power off, power on.
#include "link/CacheFlushState.h"
#include "link/SetPowerOffState.h"
#include "link/SetPowerOnState.h"
