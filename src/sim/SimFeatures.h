#pragma once

class CSimDevice;

// Installs every feature's answers in a new simulated amplifier.
void InstallSimFeatures(CSimDevice& device);
