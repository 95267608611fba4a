#include "sim/SimFeatures.h"
#include "sim/SimAtuMemory.h"
#include "sim/SimClock.h"
#include "sim/SimDevice.h"
#include "sim/SimFactoryReset.h"
#include "sim/SimFaultLog.h"
#include "sim/SimOperate.h"
#include "sim/SimSettings.h"

// One line per feature, each feature in a file of its own beside the device.
void InstallSimFeatures(CSimDevice& device)
{
    device.AddFeature<CSimSettings>();
    device.AddFeature<CSimClock>();
    device.AddFeature<CSimFaultLog>();
    device.AddFeature<CSimFactoryReset>();
    device.AddFeature<CSimAtuMemory>();
    device.AddFeature<CSimOperate>();
}
