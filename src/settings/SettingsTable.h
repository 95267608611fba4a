#pragma once
// The amplifier's configuration settings as the edit-configuration sequence, the settings sheet,
// the command line and settings profiles know them: one row per setting, in the order the
// sequence reads them.
#include "model/Types.h"
#include <QString>
#include <array>

enum class SettingId {
    AntennaEnable,
    AntennaPreferred,
    AtuHiSwrRetune,
    AtuModeSwitch,
    AtuSettingsPerBin,
    AtuXcvrKey,
    Banner,
    SwrBypass,
    SwrNoMatch,
    SwrRetune,
    SwrStop,
    NetDhcp,
    NetIp,
    NetGateway,
    NetMac,
    NetMask,
    NetPort,
    NetWakeOnLan,
    Pf1,
    Pf2,
};
constexpr int kSettingCount = 20;
constexpr int kBandCount = 11;

// How a setting travels on the wire.
enum class SettingKind {
    BandDigits, // one digit per band: "^AEAB12121212121;"
    BandNumbers, // one number per band: "^ABAB08 08 08 ...;", set as " %02u" or " %03u" each
    Flag, // "0" or "1"
    Text, // the rest of the answer, trimmed
};

// What a text setting may hold; the amplifier takes a text into its command verbatim.
enum class TextRule {
    None, // not a text
    Printable, // printable ASCII without ";" and "^", up to the setting's length limit
    IPv4, // dotted IPv4 address
    Port, // 1 to 65535
    ReadOnly, // the MAC address: shown, never written
};

struct SettingInfo {
    SettingId id;
    const char* name; // the stable name of the command line and of profiles
    SettingKind kind;
    unsigned minimum; // per-band and flag values
    unsigned maximum;
    TextRule rule;
    int maxLength; // text settings
    bool tenths; // SWR thresholds: shown and typed as decimal SWR with one digit
};

// One value of any setting: the per-band values, band 0 (160 m) first; the flag; or the text.
struct SettingValue {
    std::array<unsigned, kBandCount> bands {};
    unsigned flag = 0;
    QString text;
    bool operator==(const SettingValue&) const = default;
};

namespace SettingsTable {
// The longest banner and programmable-key text the program sends.
constexpr int kMaxBannerLength = 32;
constexpr int kMaxPfKeyLength = 32;

const std::array<SettingInfo, kSettingCount>& All();
const SettingInfo& Info(SettingId id);
// The setting with the stable name, or nullptr.
const SettingInfo* Find(const QString& name);
// "160 m" ... "6 m".
QString BandName(int band);
} // namespace SettingsTable
