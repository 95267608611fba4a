#include "model/DeviceName.h"

QString DeviceName(int device)
{
    switch (device) {
    case 1: return QStringLiteral("R5");
    case 2: return QStringLiteral("RX5");
    case 3: return QStringLiteral("QRO800");
    case 4: return QStringLiteral("ATU800");
    case 6: return QStringLiteral("Q9");
    case 9: return QStringLiteral("LDA0100");
    case 12: return QStringLiteral("QX9");
    case 14: return QStringLiteral("RX4");
    case 15: return QStringLiteral("QRO4000");
    default: return QStringLiteral("none");
    }
}
