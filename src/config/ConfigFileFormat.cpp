#include "config/ConfigFileFormat.h"
#include "model/StringTable.h"
#include <QStringList>

namespace ConfigFile {
QString Extension()
{
    return ProductName() + QStringLiteral("Config");
}

QString FilterText()
{
    const QString extension = Extension();
    return FormatResource(IDS_CONFIG_FILTER, ProductName(), extension, extension);
}

QString QtFilter()
{
    // Pairs of description and pattern; Qt shows the description, which names its pattern.
    const QStringList parts = FilterText().split(QLatin1Char('|'), Qt::SkipEmptyParts);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        filters << parts[i];
    return filters.join(QStringLiteral(";;"));
}

QString DefaultFileName(WORD serialNumber, const QDateTime& timeStamp)
{
    const QString prefix = serialNumber < kNoSerialNumber ? Fmt("SN%05u.", serialNumber) : QString();
    const QDate d = timeStamp.date();
    const QTime t = timeStamp.time();
    return Fmt("%s%04u%02u%02uT%02u%02u%02u.%s", prefix, d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second(),
        Extension());
}

QByteArray UtilityRevisionKey()
{
    return ProductName().toLatin1() + " Utility Revision";
}

QByteArray FirmwareRevisionKey()
{
    return ProductName().toLatin1() + " Firmware Revision";
}

QByteArray SerialNumberKey()
{
    return ProductName().toLatin1() + " Serial Number";
}
} // namespace ConfigFile
