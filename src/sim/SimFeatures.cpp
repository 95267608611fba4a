#include "sim/SimFeatures.h"
#include "sim/SimDevice.h"
#include "sim/SimSettings.h"

// One line per feature, each feature in a file of its own beside the device.
void InstallSimFeatures(CSimDevice& device)
{
    device.AddFeature<CSimSettings>();
}
