#include "settings/SettingsText.h"
#include "model/StringTable.h"
#include "settings/SettingsModel.h"
#include "settings/SettingsStringIds.h"
#include <QStringList>

namespace SettingsText {
namespace {
QString FormatNumber(const SettingInfo& info, unsigned number)
{
    if (info.tenths)
        return QStringLiteral("%1.%2").arg(number / 10).arg(number % 10);
    return QString::number(number);
}

// A whole number of at most `maxDigits` digits, nothing else.
bool ReadWhole(const QString& text, int maxDigits, unsigned* number)
{
    if (text.isEmpty() || text.size() > maxDigits)
        return false;
    unsigned n = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        n = n * 10 + static_cast<unsigned>(c.unicode() - '0');
    }
    *number = n;
    return true;
}

// "2.5" is 25 tenths, "3" is 30; more than one decimal is refused rather than rounded.
bool ReadTenths(const QString& text, unsigned* tenths)
{
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    unsigned whole = 0;
    unsigned fraction = 0;
    const bool read = dot < 0 ? ReadWhole(text, 3, &whole)
                              : ReadWhole(text.left(dot), 3, &whole) && ReadWhole(text.mid(dot + 1), 1, &fraction);
    if (!read)
        return false;
    *tenths = whole * 10 + fraction;
    return true;
}

bool ReadIPv4(const QString& text, QString* plain)
{
    const QStringList parts = text.split(QLatin1Char('.'));
    if (parts.size() != 4)
        return false;
    QStringList numbers;
    for (const QString& part : parts) {
        unsigned n = 0;
        if (!ReadWhole(part, 3, &n) || n > 255)
            return false;
        numbers << QString::number(n);
    }
    *plain = numbers.join(QLatin1Char('.'));
    return true;
}

bool ReadPort(const QString& text, QString* plain)
{
    unsigned n = 0;
    if (!ReadWhole(text, 5, &n) || n < 1 || n > 65535)
        return false;
    *plain = QString::number(n);
    return true;
}

} // namespace

QString RangeMessage(const SettingInfo& info)
{
    if (info.tenths)
        return ResourceString(IDS_SETTINGS_ERR_SWR_RANGE);
    return FormatResource(IDS_SETTINGS_ERR_NUMBER_RANGE, info.minimum, info.maximum);
}

namespace {

bool ParseBands(const SettingInfo& info, const QString& text, SettingValue* value, QString* message)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 1 && parts.size() != kBandCount) {
        *message = ResourceString(IDS_SETTINGS_ERR_BAND_COUNT);
        return false;
    }
    SettingValue parsed;
    for (int band = 0; band < kBandCount; ++band) {
        const QString part = parts[parts.size() == 1 ? 0 : band].trimmed();
        unsigned number = 0;
        const bool read = info.tenths ? ReadTenths(part, &number) : ReadWhole(part, 4, &number);
        if (!read || number < info.minimum || number > info.maximum) {
            *message = RangeMessage(info);
            return false;
        }
        parsed.bands[band] = number;
    }
    *value = parsed;
    return true;
}
} // namespace

QString Format(const SettingInfo& info, const SettingValue& value)
{
    switch (info.kind) {
    case SettingKind::BandDigits:
    case SettingKind::BandNumbers: {
        QStringList parts;
        for (unsigned number : value.bands)
            parts << FormatNumber(info, number);
        return parts.join(QLatin1Char(','));
    }
    case SettingKind::Flag:
        return value.flag ? QStringLiteral("on") : QStringLiteral("off");
    case SettingKind::Text:
        return value.text;
    }
    return QString();
}

bool Parse(const SettingInfo& info, const QString& text, SettingValue* value, QString* message)
{
    const QString trimmed = text.trimmed();
    switch (info.kind) {
    case SettingKind::BandDigits:
    case SettingKind::BandNumbers:
        return ParseBands(info, trimmed, value, message);
    case SettingKind::Flag: {
        static const QStringList kOn {"on", "1", "yes", "true"};
        static const QStringList kOff {"off", "0", "no", "false"};
        const QString word = trimmed.toLower();
        if (!kOn.contains(word) && !kOff.contains(word)) {
            *message = ResourceString(IDS_SETTINGS_ERR_FLAG);
            return false;
        }
        *value = SettingValue();
        value->flag = kOn.contains(word) ? 1 : 0;
        return true;
    }
    case SettingKind::Text: {
        // Spaces around an address or a port number are no part of it; those around a text
        // are refused by its check, never dropped unseen.
        const QString taken = info.rule == TextRule::Printable ? text : trimmed;
        *message = CheckText(info, taken);
        if (!message->isEmpty())
            return false;
        *value = SettingValue();
        value->text = taken;
        if (info.rule == TextRule::IPv4)
            ReadIPv4(trimmed, &value->text);
        else if (info.rule == TextRule::Port)
            ReadPort(trimmed, &value->text);
        return true;
    }
    }
    return false;
}

QString CheckText(const SettingInfo& info, const QString& text)
{
    QString plain;
    switch (info.rule) {
    case TextRule::None:
        return QString();
    case TextRule::ReadOnly:
        return ResourceString(IDS_SETTINGS_ERR_READ_ONLY);
    case TextRule::IPv4:
        return ReadIPv4(text, &plain) ? QString() : ResourceString(IDS_SETTINGS_ERR_IPV4);
    case TextRule::Port:
        return ReadPort(text, &plain) ? QString() : ResourceString(IDS_SETTINGS_ERR_PORT);
    case TextRule::Printable:
        break;
    }
    // "^bt;" is the query: an empty text cannot be set.
    if (text.trimmed().isEmpty())
        return ResourceString(IDS_SETTINGS_ERR_EMPTY);
    // The amplifier's answer loses them, so a text with them could never be read back as set.
    if (text.front().isSpace() || text.back().isSpace())
        return ResourceString(IDS_SETTINGS_ERR_OUTER_SPACES);
    for (QChar c : text) {
        if (c == QLatin1Char(';') || c == QLatin1Char('^'))
            return ResourceString(IDS_SETTINGS_ERR_COMMAND_CHARACTER);
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            return ResourceString(IDS_SETTINGS_ERR_NOT_PRINTABLE);
    }
    if (text.size() > info.maxLength)
        return FormatResource(IDS_SETTINGS_ERR_TOO_LONG, static_cast<unsigned>(info.maxLength));
    return QString();
}

QString Check(const SettingInfo& info, const SettingValue& value)
{
    switch (info.kind) {
    case SettingKind::BandDigits:
    case SettingKind::BandNumbers:
        for (unsigned number : value.bands)
            if (number < info.minimum || number > info.maximum)
                return RangeMessage(info);
        return QString();
    case SettingKind::Flag:
        return value.flag <= 1 ? QString() : ResourceString(IDS_SETTINGS_ERR_FLAG);
    case SettingKind::Text:
        return CheckText(info, value.text);
    }
    return QString();
}

bool Equivalent(const SettingInfo& info, const SettingValue& a, const SettingValue& b)
{
    if (info.kind != SettingKind::Text)
        return a == b;
    QString plainA = a.text.trimmed();
    QString plainB = b.text.trimmed();
    if (info.rule == TextRule::IPv4) {
        ReadIPv4(plainA, &plainA);
        ReadIPv4(plainB, &plainB);
    } else if (info.rule == TextRule::Port) {
        ReadPort(plainA, &plainA);
        ReadPort(plainB, &plainB);
    }
    return plainA == plainB;
}

bool FindRefusedPending(const CModel& model, SettingId* id, QString* message)
{
    for (const SettingInfo& info : SettingsTable::All()) {
        if (info.rule == TextRule::ReadOnly || !SettingsModel::HasPendingChange(model, info.id))
            continue;
        const QString reason = Check(info, SettingsModel::Pending(model, info.id));
        if (!reason.isEmpty()) {
            *id = info.id;
            *message = reason;
            return true;
        }
    }
    return false;
}
} // namespace SettingsText
