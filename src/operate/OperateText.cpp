#include "operate/OperateText.h"

namespace OperateText {
QString Swr(WORD tenths)
{
    if (tenths < 10 || tenths > 999)
        return QString();
    return QStringLiteral("%1.%2").arg(tenths / 10).arg(tenths % 10);
}

QString Voltage(DWORD millivolts)
{
    const unsigned long long rounded = static_cast<unsigned long long>(millivolts) + 50;
    return QStringLiteral("%1.%2").arg(rounded / 1000).arg(rounded / 100 % 10);
}

QString Frequency(WORD kilohertz)
{
    return kilohertz == 0 ? QString() : QString::number(kilohertz);
}

unsigned long long DcPower(WORD amperes, DWORD millivolts)
{
    return (static_cast<unsigned long long>(amperes) * millivolts + 500) / 1000;
}

int Efficiency(WORD forwardWatts, WORD amperes, DWORD millivolts)
{
    const unsigned long long dc = DcPower(amperes, millivolts);
    if (dc == 0)
        return kNoEfficiency;
    const unsigned long long percent = (static_cast<unsigned long long>(forwardWatts) * 100 + dc / 2) / dc;
    return percent < 100 ? static_cast<int>(percent) : kImplausibleEfficiency;
}
} // namespace OperateText
