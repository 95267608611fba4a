#include "settings/SettingsTable.h"
#include "model/StringTable.h"
#include "settings/SettingsStringIds.h"

namespace SettingsTable {
namespace {
using K = SettingKind;
using R = TextRule;
// clang-format off
constexpr std::array<SettingInfo, kSettingCount> kSettings {{
    // id                           name                    kind            min  max  text rule     length            tenths
    {SettingId::AntennaEnable,     "antenna-enable",       K::BandDigits,  0,   2,   R::None,      0,                false},
    {SettingId::AntennaPreferred,  "antenna-preferred",    K::BandDigits,  0,   2,   R::None,      0,                false},
    {SettingId::AtuHiSwrRetune,    "atu-hiswr-retune",     K::BandDigits,  0,   1,   R::None,      0,                false},
    {SettingId::AtuModeSwitch,     "atu-mode-switch",      K::Flag,        0,   1,   R::None,      0,                false},
    {SettingId::AtuSettingsPerBin, "atu-settings-per-bin", K::BandNumbers, 1,   31,  R::None,      0,                false},
    {SettingId::AtuXcvrKey,        "atu-xcvr-key",         K::Flag,        0,   1,   R::None,      0,                false},
    {SettingId::Banner,            "banner",               K::Text,        0,   0,   R::Printable, kMaxBannerLength, false},
    {SettingId::SwrBypass,         "swr-bypass",           K::BandNumbers, 10,  999, R::None,      0,                true},
    {SettingId::SwrNoMatch,        "swr-nomatch",          K::BandNumbers, 10,  999, R::None,      0,                true},
    {SettingId::SwrRetune,         "swr-retune",           K::BandNumbers, 10,  999, R::None,      0,                true},
    {SettingId::SwrStop,           "swr-stop",             K::BandNumbers, 10,  999, R::None,      0,                true},
    {SettingId::NetDhcp,           "net-dhcp",             K::Flag,        0,   1,   R::None,      0,                false},
    {SettingId::NetIp,             "net-ip",               K::Text,        0,   0,   R::IPv4,      15,               false},
    {SettingId::NetGateway,        "net-gateway",          K::Text,        0,   0,   R::IPv4,      15,               false},
    {SettingId::NetMac,            "net-mac",              K::Text,        0,   0,   R::ReadOnly,  0,                false},
    {SettingId::NetMask,           "net-mask",             K::Text,        0,   0,   R::IPv4,      15,               false},
    {SettingId::NetPort,           "net-port",             K::Text,        0,   0,   R::Port,      5,                false},
    {SettingId::NetWakeOnLan,      "net-wol",              K::Flag,        0,   1,   R::None,      0,                false},
    {SettingId::Pf1,               "pf1",                  K::Text,        0,   0,   R::Printable, kMaxPfKeyLength,  false},
    {SettingId::Pf2,               "pf2",                  K::Text,        0,   0,   R::Printable, kMaxPfKeyLength,  false},
}};
// clang-format on
constexpr unsigned kBandMetres[kBandCount] = {160, 80, 60, 40, 30, 20, 17, 15, 12, 10, 6};

constexpr bool RowsInIdOrder()
{
    for (int i = 0; i < kSettingCount; ++i)
        if (static_cast<int>(kSettings[i].id) != i)
            return false;
    return true;
}
static_assert(RowsInIdOrder(), "Info() indexes the table by id");
} // namespace

const std::array<SettingInfo, kSettingCount>& All()
{
    return kSettings;
}

const SettingInfo& Info(SettingId id)
{
    return kSettings[static_cast<int>(id)];
}

const SettingInfo* Find(const QString& name)
{
    for (const SettingInfo& info : kSettings)
        if (name == QLatin1String(info.name))
            return &info;
    return nullptr;
}

QString BandName(int band)
{
    if (band < 0 || band >= kBandCount)
        return QString();
    return FormatResource(IDS_SETTINGS_BAND_NAME, kBandMetres[band]);
}
} // namespace SettingsTable
