#pragma once
#include <QString>

// The name of a device kind of the model's device table ("QRO4000" for 15); "none" for 0.
QString DeviceName(int device);
