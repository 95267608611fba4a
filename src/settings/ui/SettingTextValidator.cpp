#include "settings/ui/SettingTextValidator.h"
#include "settings/SettingsStringIds.h"
#include "settings/SettingsText.h"
#include "model/StringTable.h"

CSettingTextValidator::CSettingTextValidator(const SettingInfo& info, Refused refused, QObject* parent)
    : QValidator(parent)
    , m_info(info)
    , m_refused(std::move(refused))
{
}

QValidator::State CSettingTextValidator::validate(QString& input, int& position) const
{
    (void)position;
    QString reason;
    if (m_info.rule == TextRule::Printable) {
        // An empty field is only unfinished: it is refused when the sheet applies.
        reason = input.isEmpty() ? QString() : SettingsText::CheckText(m_info, input);
        // "ATU " is on its way to "ATU TUNE": a space at either end is refused when the sheet
        // applies, not as it is typed.
        if (reason == ResourceString(IDS_SETTINGS_ERR_OUTER_SPACES))
            return Intermediate;
    } else if (input.size() > m_info.maxLength) {
        reason = SettingsText::CheckText(m_info, input);
    } else {
        const QString allowed
            = m_info.rule == TextRule::IPv4 ? QStringLiteral("0123456789.") : QStringLiteral("0123456789");
        for (QChar c : input)
            if (!allowed.contains(c))
                reason = SettingsText::CheckText(m_info, input);
        // An address that more typing cannot mend: a fifth number, a number above 255 or of
        // four digits, two dots together.
        if (m_info.rule == TextRule::IPv4 && reason.isEmpty()) {
            const QStringList parts = input.split(QLatin1Char('.'));
            bool mendable = parts.size() <= 4;
            for (qsizetype i = 0; i < parts.size() && mendable; ++i)
                mendable
                    = (parts[i].isEmpty() ? i == parts.size() - 1 : parts[i].toUInt() <= 255) && parts[i].size() <= 3;
            if (!mendable)
                reason = SettingsText::CheckText(m_info, input);
        }
        if (reason.isEmpty())
            return SettingsText::CheckText(m_info, input).isEmpty() ? Acceptable : Intermediate;
    }
    if (!reason.isEmpty()) {
        if (m_refused)
            m_refused(reason);
        return Invalid;
    }
    return Acceptable;
}
