// The settings' answer parser and the profile reader on arbitrary bytes. An answer is tried as
// every setting's: when it is accepted, its values must lie in the setting's range, and the set
// command built from them must, as the amplifier would answer it, read back the same value. A
// profile that is accepted must hold only values that can be sent.
#include "settings/SettingsAnswers.h"
#include "settings/SettingsProfile.h"
#include "settings/SettingsText.h"
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    static const QByteArray kQueries[kSettingCount]
        = {"^aeab;", "^apab;", "^hsab;", "^aa;", "^abAB;", "^xk;", "^bt;", "^stbab;", "^stnab;", "^staab;", "^stsab;",
            "^dh;", "^ip;", "^gw;", "^ma;", "^nm;", "^cp;", "^wl;", "^pf1;", "^pf2;"};
    for (const SettingInfo& info : SettingsTable::All()) {
        const QByteArray& query = kQueries[static_cast<int>(info.id)];
        const QByteArray prefix = SettingsAnswers::SetPrefix(query);
        SettingValue value;
        if (!SettingsAnswers::Parse(info, prefix, bytes, &value) || info.kind == SettingKind::Text)
            continue;
        if (!SettingsText::Check(info, value).isEmpty())
            std::abort();
        // "^abAB 01 02 ...;" answered as "^ABAB 01 02 ...;".
        const QByteArray set = SettingsAnswers::BuildSetCommand(info, query, value);
        SettingValue echoed;
        const QByteArray answer = set.left(set.indexOf(';') + 1).toUpper();
        if (info.kind != SettingKind::BandDigits
            && (!SettingsAnswers::Parse(info, prefix, answer, &echoed) || !(echoed == value)))
            std::abort();
    }
    SettingsProfile::Values values;
    QString message;
    if (SettingsProfile::FromJson(bytes, &values, &message))
        for (const auto& [id, value] : values)
            if (!SettingsText::Check(SettingsTable::Info(id), value).isEmpty())
                std::abort();
    return 0;
}
