// The answer parsers of the operate queries, on the text after the prefix.
#include "operate/OperateAnswers.h"
#include "RowName.h"
#include <gtest/gtest.h>

namespace {
using ::operator<<;
using namespace OperateAnswers;

template <class T> QString Shown(const std::optional<T>& value)
{
    if (!value)
        return QStringLiteral("dropped");
    if constexpr (std::is_same_v<T, QString>)
        return QLatin1Char('"') + *value + QLatin1Char('"');
    else
        return QString::number(static_cast<long long>(*value));
}

struct ParseCase {
    const char* name;
    QString (*parse)(const QByteArray& rest);
    const char* rest;
    const char* expected;
};

const ParseCase kCases[] = {
    {"DisplayKeepsSpacesBeforeTheSemicolon", [](const QByteArray& r) { return Shown(DisplayText(r)); }, "  TUNE  ;",
        "\"TUNE  \""},
    {"DisplayLosesSemicolonsAtBothEnds", [](const QByteArray& r) { return Shown(DisplayText(r)); }, " ;;Hi;; ",
        "\"Hi\""},
    {"ReadingWithoutDigitsIsZero", [](const QByteArray& r) { return Shown(Word(r)); }, ";", "0"},
    {"ReadingWithSignAndSpaces", [](const QByteArray& r) { return Shown(Word(r)); }, "  +12;", "12"},
    {"NegativeReadingIsDropped", [](const QByteArray& r) { return Shown(Word(r)); }, "-5;", "dropped"},
    {"ReadingAbove65535IsDropped", [](const QByteArray& r) { return Shown(Word(r)); }, "65536;", "dropped"},
    {"VoltageTakesAnyValue", [](const QByteArray& r) { return Shown(Millivolts(r)); }, "4294967295;", "4294967295"},
    {"Antenna3IsDropped", [](const QByteArray& r) { return Shown(Antenna(r)); }, "3;", "dropped"},
    {"Antenna2", [](const QByteArray& r) { return Shown(Antenna(r)); }, "2;", "2"},
    {"AntennaByItsLowByte", [](const QByteArray& r) { return Shown(Antenna(r)); }, "257;", "1"},
    {"Band10", [](const QByteArray& r) { return Shown(Band(r)); }, "10;", "10"},
    {"Band11IsDropped", [](const QByteArray& r) { return Shown(Band(r)); }, "11;", "dropped"},
    {"NegativeBandIsDropped", [](const QByteArray& r) { return Shown(Band(r)); }, "-1;", "dropped"},
    {"FlagOne", [](const QByteArray& r) { return Shown(Flag(r)); }, "1;", "1"},
    {"FlagTwoIsDropped", [](const QByteArray& r) { return Shown(Flag(r)); }, "2;", "dropped"},
    {"LetterWhateverItIs", [](const QByteArray& r) { return Shown(Letter(r)); }, "B;", "66"},
    {"FaultCodeNotHexIsDropped", [](const QByteArray& r) { return Shown(HexByte(r)); }, "g0;", "dropped"},
    {"FaultCode0A", [](const QByteArray& r) { return Shown(HexByte(r)); }, "0A;", "10"},
    {"OneHexDigitIsDropped", [](const QByteArray& r) { return Shown(HexByte(r)); }, "a;", "dropped"},
    {"RelayByteInWhiteSpace", [](const QByteArray& r) { return Shown(RelayByte(r)); }, " \t1f;", "31"},
    // Anything but spaces between the value and its ";" means the answer was damaged.
    {"ReadingWithTrailingSpaces", [](const QByteArray& r) { return Shown(Word(r)); }, "12  ;", "12"},
    {"DamagedReadingIsDropped", [](const QByteArray& r) { return Shown(Word(r)); }, "13=9;", "dropped"},
    {"ReadingWithoutItsSemicolonIsDropped", [](const QByteArray& r) { return Shown(Word(r)); }, "13", "dropped"},
    {"DamagedBandIsDropped", [](const QByteArray& r) { return Shown(Band(r)); }, "=;", "dropped"},
    {"DamagedVoltageIsDropped", [](const QByteArray& r) { return Shown(Millivolts(r)); }, "=0083;", "dropped"},
    {"NegativeVoltageIsDropped", [](const QByteArray& r) { return Shown(Millivolts(r)); }, "-1;", "dropped"},
    {"EmptyLetterIsDropped", [](const QByteArray& r) { return Shown(Letter(r)); }, ";", "dropped"},
    {"FlagWithMoreIsDropped", [](const QByteArray& r) { return Shown(Flag(r)); }, "1x;", "dropped"},
    {"ThreeHexDigitsAreDropped", [](const QByteArray& r) { return Shown(HexByte(r)); }, "0A1;", "dropped"},
};

class OperateAnswer : public ::testing::TestWithParam<ParseCase> { };
} // namespace

TEST_P(OperateAnswer, Parses)
{
    EXPECT_EQ(GetParam().parse(GetParam().rest).toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, OperateAnswer, ::testing::ValuesIn(kCases),
    [](const ::testing::TestParamInfo<ParseCase>& info) { return std::string(info.param.name); });

TEST(OperateAnswerPrefix, MatchesWithoutRegardToCase)
{
    EXPECT_TRUE(HasPrefix("^PC12;", "^pc"));
    EXPECT_TRUE(HasPrefix("^vMh1;", "^vmh"));
    EXPECT_FALSE(HasPrefix("^P;", "^pc"));
}
