#include "maintenance/FaultTableFile.h"
#include "model/SaveWhole.h"

namespace FaultTableFile {
QString DefaultName(WORD serialNumber, const QDateTime& timeStamp)
{
    const QString stamp = timeStamp.toString(QStringLiteral("yyyyMMdd'T'HHmmss"));
    if (serialNumber == kNoSerialNumber)
        return QStringLiteral("FaultTable.%1.txt").arg(stamp);
    return QStringLiteral("SN%1.FaultTable.%2.txt").arg(serialNumber, 5, 10, QChar('0')).arg(stamp);
}

DWORD Write(const QString& fileName, const QString& text, QString* message)
{
    return SaveWhole(fileName, text.toLatin1(), message);
}
} // namespace FaultTableFile
