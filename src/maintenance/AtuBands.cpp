#include "maintenance/AtuBands.h"
#include "maintenance/MaintenanceStringIds.h"
#include "model/StringTable.h"

namespace AtuBands {
namespace {
constexpr const char* kMetres[kCount] = {"160", "80", "60", "40", "30", "20", "17", "15", "12", "10", "6"};
}

QString Metres(int band)
{
    return band >= 0 && band < kCount ? QString::fromLatin1(kMetres[band]) : QString();
}

QString Description(int band)
{
    if (band == kAll)
        return ResourceString(IDS_ERASE_ALL_BANDS);
    return FormatResource(IDS_ERASE_BAND_NAME, Metres(band));
}

int Parse(const QString& text)
{
    QString t = text.trimmed().toLower();
    if (t == QLatin1String("all"))
        return kAll;
    const bool metres = t.endsWith('m');
    if (metres)
        t.chop(1);
    int byMetres = kUnknown;
    for (int band = 0; band < kCount; ++band)
        if (t == QLatin1String(kMetres[band]))
            byMetres = band;
    if (metres)
        return byMetres;
    bool ok = false;
    const int number = t.toInt(&ok);
    const bool isNumber = ok && number >= 0 && number < kCount && t == QString::number(number);
    if (isNumber && byMetres != kUnknown)
        return kAmbiguous;
    return isNumber ? number : byMetres;
}
} // namespace AtuBands
