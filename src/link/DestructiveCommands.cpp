#include "link/DestructiveCommands.h"
#include "model/LinkStringIds.h"
#include "model/StringTable.h"

namespace DestructiveCommands {
unsigned Warning(const QString& text, QString* command)
{
    struct Destructive {
        const char* command;
        unsigned warning;
    };
    static const Destructive kCommands[] = {
        {"^ld", IDS_WARN_BOOT_LOADER},
        {"^ec", IDS_WARN_ERASE_CONFIGURATION},
        {"^em", IDS_WARN_ERASE_MEMORIES},
        {"^ew", IDS_WARN_EEPROM_WRITE},
    };
    qsizetype first = -1;
    unsigned warning = 0;
    for (const Destructive& d : kCommands) {
        const qsizetype at = text.indexOf(QLatin1String(d.command), 0, Qt::CaseInsensitive);
        if (at >= 0 && (first < 0 || at < first)) {
            first = at;
            warning = d.warning;
            if (command)
                *command = QString::fromLatin1(d.command);
        }
    }
    return warning;
}

QString Question(const QString& text)
{
    QString command;
    const unsigned warning = Warning(text, &command);
    if (warning == 0)
        return {};
    return FormatResource(IDS_SEND_ANYWAY, FormatResource(warning, command), text);
}

QString Caption()
{
    return ResourceString(IDS_CONFIRM_COMMAND);
}
} // namespace DestructiveCommands
