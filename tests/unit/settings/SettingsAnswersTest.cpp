// The settings' answers and set commands byte for byte, and the values people type.
#include "settings/SettingsAnswers.h"
#include "RowName.h"
#include "TextMatchers.h"
#include "settings/SettingsText.h"
#include <gtest/gtest.h>

namespace {
using ::operator<<;
struct AnswerRow {
    const char* name;
    SettingId id;
    const char* query;
    const char* answer;
    bool accepted;
    const char* value; // the value as the command line writes it, when accepted
};

// clang-format off
const AnswerRow kAnswers[] = {
    {"DigitsPerBandInUpperCase",          SettingId::AntennaEnable,     "^aeab;",  "^AEAB22221111111;",            true,  "2,2,2,2,1,1,1,1,1,1,1"},
    {"DigitsPerBandInLowerCase",          SettingId::AntennaPreferred,  "^apab;",  "^apab01201201201;",            true,  "0,1,2,0,1,2,0,1,2,0,1"},
    {"TenDigitsAreOneBandShort",          SettingId::AntennaEnable,     "^aeab;",  "^AEAB2222111111;",             false, ""},
    {"TwelveDigitsAreOneBandTooMany",     SettingId::AntennaEnable,     "^aeab;",  "^AEAB222211111111;",           false, ""},
    {"ADigitAboveTheRangeIsRefused",      SettingId::AntennaEnable,     "^aeab;",  "^AEAB22231111111;",            false, ""},
    {"HiSwrRetuneTakesOnlyZeroAndOne",    SettingId::AtuHiSwrRetune,    "^hsab;",  "^HSAB11111111112;",            false, ""},
    {"AnotherPrefixIsDropped",            SettingId::AntennaEnable,     "^aeab;",  "^APAB22221111111;",            false, ""},
    {"NumbersSeparatedBySpaces",          SettingId::AtuSettingsPerBin, "^abAB;",  "^ABAB08 08 08 08 08 08 08 08 08 08 04;", true, "8,8,8,8,8,8,8,8,8,8,4"},
    {"NumbersSeparatedByCommas",          SettingId::AtuSettingsPerBin, "^abAB;",  "^abab1,2,3,4,5,6,7,8,9,10,31;",          true, "1,2,3,4,5,6,7,8,9,10,31"},
    {"NumbersAsTheSetCommandWritesThem",  SettingId::AtuSettingsPerBin, "^abAB;",  "^ABAB 01 02 03 04 05 06 07 08 09 10 11;", true, "1,2,3,4,5,6,7,8,9,10,11"},
    {"NumbersWithRunsOfSeparators",       SettingId::SwrStop,           "^stsab;", "^STSAB035,  035 , 035 035 035 035 035 035 035 035 030;", true, "3.5,3.5,3.5,3.5,3.5,3.5,3.5,3.5,3.5,3.5,3.0"},
    {"TenNumbersAreOneBandShort",         SettingId::AtuSettingsPerBin, "^abAB;",  "^ABAB08 08 08 08 08 08 08 08 08 08;",    false, ""},
    {"NumbersWithoutSeparatorsAreOne",    SettingId::AtuSettingsPerBin, "^abAB;",  "^ABAB0808080808080808080808;",           false, ""},
    {"ZeroSettingsPerBinIsRefused",       SettingId::AtuSettingsPerBin, "^abAB;",  "^ABAB00 08 08 08 08 08 08 08 08 08 08;", false, ""},
    {"AThresholdOfNineRejectsTheAnswer",  SettingId::SwrBypass,         "^stbab;", "^STBAB030 030 030 030 030 009 030 030 030 030 030;", false, ""},
    {"AThresholdOf1000IsRefused",         SettingId::SwrRetune,         "^staab;", "^STAAB1000 030 030 030 030 030 030 030 030 030 030;", false, ""},
    {"ATrailingSeparatorIsRefused",       SettingId::SwrNoMatch,        "^stnab;", "^STNAB030 030 030 030 030 030 030 030 030 030 030 ;", false, ""},
    {"ALetterAmongNumbersIsRefused",      SettingId::SwrNoMatch,        "^stnab;", "^STNAB030 030 030 030 030 03x 030 030 030 030 030;", false, ""},
    {"FlagOne",                           SettingId::AtuModeSwitch,     "^aa;",    "^AA1;",                        true,  "on"},
    {"FlagZero",                          SettingId::NetDhcp,           "^dh;",    "^dh0;",                        true,  "off"},
    {"FlagTwoIsRefused",                  SettingId::AtuXcvrKey,        "^xk;",    "^XK2;",                        false, ""},
    {"FlagWithNothingAfterThePrefix",     SettingId::AtuXcvrKey,        "^xk;",    "^XK;",                         false, ""},
    {"FlagWithMoreIsDamaged",             SettingId::AtuXcvrKey,        "^xk;",    "^XK1x;",                       false, ""},
    {"TextIsTrimmedOfSpacesAndSemicolons",SettingId::Banner,            "^bt;",    "^BT  Hello Contest ;;",        true,  "Hello Contest"},
    {"TextMayBeEmpty",                    SettingId::Pf2,               "^pf2;",   "^PF2;",                        true,  ""},
    {"TextOfTheOtherKeyIsDropped",        SettingId::Pf2,               "^pf2;",   "^PF1ANTENNA;",                 false, ""},
    {"AnAnswerWithoutItsSemicolonIsDropped", SettingId::NetIp,          "^ip;",    "^IP192.168.1.60",              false, ""},
};
// clang-format on

} // namespace

TEST(SettingsAnswer, IsTakenOnlyWhenWellFormedAndInRange)
{
    for (const AnswerRow& row : kAnswers) {
        const SettingInfo& info = SettingsTable::Info(row.id);
        SettingValue value;
        value.text = QStringLiteral("untouched");
        const bool accepted = SettingsAnswers::Parse(info, SettingsAnswers::SetPrefix(row.query), row.answer, &value);
        EXPECT_EQ(accepted, row.accepted) << row.name;
        EXPECT_EQ(accepted ? SettingsText::Format(info, value) : value.text,
            accepted ? QString::fromLatin1(row.value) : QStringLiteral("untouched"))
            << row.name;
    }
}

TEST(SettingsSetCommand, CarriesTheValueAndTheQueryInOneWrite)
{
    auto set = [](SettingId id, const char* query, const char* text) {
        const SettingInfo& info = SettingsTable::Info(id);
        SettingValue value;
        QString message;
        EXPECT_TRUE(SettingsText::Parse(info, QString::fromLatin1(text), &value, &message)) << message.toStdString();
        return SettingsAnswers::BuildSetCommand(info, query, value);
    };
    EXPECT_EQ(set(SettingId::AntennaPreferred, "^apab;", "1,2,1,1,1,1,1,1,1,1,1"),
        "^apab 01 02 01 01 01 01 01 01 01 01 01;^apab;");
    EXPECT_EQ(set(SettingId::AtuSettingsPerBin, "^abAB;", "31"), "^abAB 31 31 31 31 31 31 31 31 31 31 31;^abAB;");
    EXPECT_EQ(set(SettingId::SwrBypass, "^stbab;", "1,1.5,2,2.5,3,3.5,4,9.9,10,50.5,99.9"),
        "^stbab 010 015 020 025 030 035 040 099 100 505 999;^stbab;");
    EXPECT_EQ(set(SettingId::AtuModeSwitch, "^aa;", "on"), "^aa1;^aa;");
    EXPECT_EQ(set(SettingId::NetWakeOnLan, "^wl;", "off"), "^wl0;^wl;");
    EXPECT_EQ(set(SettingId::Banner, "^bt;", "HELLO THERE"), "^btHELLO THERE;^bt;");
    EXPECT_EQ(set(SettingId::NetIp, "^ip;", "192.168.001.010"), "^ip192.168.1.10;^ip;");
    EXPECT_EQ(set(SettingId::NetPort, "^cp;", "08080"), "^cp8080;^cp;");
}

namespace {
struct RefusedRow {
    const char* name;
    SettingId id;
    const char* text;
    const char* reasonPart;
};

// clang-format off
const RefusedRow kRefused[] = {
    {"BannerThatWouldEraseTheConfiguration", SettingId::Banner,        "X;^ec",                ";\" and \"^\" cannot be used"},
    {"BannerWithACaretAlone",                SettingId::Banner,        "A^B",                  ";\" and \"^\" cannot be used"},
    {"KeyTextWithALineBreak",                SettingId::Pf1,           "A\nB",                 "only letters, digits"},
    {"KeyTextWithAnAccent",                  SettingId::Pf2,           "Caf\u00e9",            "only letters, digits"},
    {"BannerOneCharacterTooLong",            SettingId::Banner,        "123456789012345678901234567890123", "at most 32 characters"},
    {"EmptyBanner",                          SettingId::Banner,        "   ",                  "cannot be empty"},
    {"BannerWithLeadingSpaces",              SettingId::Banner,        "  HELLO",              "cannot begin or end with a space"},
    {"KeyTextWithATrailingSpace",            SettingId::Pf1,           "TUNE ",                "cannot begin or end with a space"},
    {"AddressWithThreeNumbers",              SettingId::NetIp,         "192.168.1",            "not an IPv4 address"},
    {"AddressWithA256",                      SettingId::NetGateway,    "192.168.1.256",        "not an IPv4 address"},
    {"MaskWithACommand",                     SettingId::NetMask,       "255.0.0.0;^ec",        "not an IPv4 address"},
    {"PortZero",                             SettingId::NetPort,       "0",                    "not a port number"},
    {"Port65536",                            SettingId::NetPort,       "65536",                "not a port number"},
    {"MacAddress",                           SettingId::NetMac,        "00:11:22:33:44:55",    "fixed in the amplifier"},
    {"TenBands",                             SettingId::AntennaEnable, "1,1,1,1,1,1,1,1,1,1",  "11 values"},
    {"AntennaThree",                         SettingId::AntennaEnable, "3",                    "from 0 to 2"},
    {"ThresholdBelowOne",                    SettingId::SwrStop,       "0.9",                  "from 1.0 to 99.9"},
    {"ThresholdWithTwoDecimals",             SettingId::SwrStop,       "2.55",                 "from 1.0 to 99.9"},
    {"FlagMaybe",                            SettingId::NetDhcp,       "maybe",                "on or off"},
};
// clang-format on

class RefusedValue : public testing::TestWithParam<RefusedRow> { };
} // namespace

TEST_P(RefusedValue, SaysWhy)
{
    const RefusedRow& row = GetParam();
    SettingValue value;
    QString message;
    EXPECT_FALSE(SettingsText::Parse(SettingsTable::Info(row.id), QString::fromUtf8(row.text), &value, &message));
    EXPECT_THAT(message, HasText(QString::fromUtf8(row.reasonPart)));
}

INSTANTIATE_TEST_SUITE_P(Rows, RefusedValue, testing::ValuesIn(kRefused),
    [](const testing::TestParamInfo<RefusedRow>& info) { return std::string(info.param.name); });
