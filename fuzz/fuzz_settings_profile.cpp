// A settings profile file on arbitrary bytes, read as the program reads one from disk: a
// profile it accepts holds only values that can be sent, and writes and reads back the same.
#include "settings/SettingsProfile.h"
#include "settings/SettingsText.h"
#include <QTemporaryDir>
#include <QFile>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static QTemporaryDir dir;
    const QString path = dir.filePath("profile.json");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();
    SettingsProfile::Values values;
    QString message;
    if (SettingsProfile::Load(path, &values, &message) != 0)
        return message.isEmpty() ? (std::abort(), 0) : 0;
    for (const auto& [id, value] : values)
        if (!SettingsText::Check(SettingsTable::Info(id), value).isEmpty())
            std::abort();
    SettingsProfile::Values again;
    if (!SettingsProfile::FromJson(SettingsProfile::ToJson(values), &again, &message) || again != values)
        std::abort();
    return 0;
}
