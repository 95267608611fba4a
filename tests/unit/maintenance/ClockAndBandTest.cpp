// The clock's answer checked against its format, its set command and display, the difference
// between two clocks, and the band names the ATU memory erase takes.
#include "maintenance/AtuBands.h"
#include "maintenance/ClockText.h"
#include <gtest/gtest.h>

namespace {
SYSTEMTIME Time(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s)
{
    return SYSTEMTIME {.wYear = y, .wMonth = mo, .wDay = d, .wHour = h, .wMinute = mi, .wSecond = s};
}
} // namespace

TEST(ClockText, OnlyAnAnswerInTheClocksFormatIsATime)
{
    EXPECT_EQ(ClockText::ParseAnswer("^CC24-03-05T14:07:09;"), Time(24, 3, 5, 14, 7, 9));
    EXPECT_EQ(ClockText::ParseAnswer("^cc00-00-00T00:00:00;"), Time(0, 0, 0, 0, 0, 0)); // never set
    for (const char* damaged : {";", "^CC24-13-05T14:07:09;", "^CC24-03-05T99:07:09;", "^CC24-03-32T14:07:09;",
             "^CC24-03-05T14:60:09;", "^CC2>-12-06T14:07:09;", "xyz99/12/31 23.59.58;", "^CC24-03;",
             "^CC24-03-05T14:07:09", "^CC24-03-05T14:07:09;;", "^CX24-03-05T14:07:09;"})
        EXPECT_FALSE(ClockText::ParseAnswer(damaged).has_value()) << damaged;
}

TEST(ClockText, SetCommandAndDisplayUseTheTwoDigitYear)
{
    EXPECT_EQ(ClockText::BuildSetCommand(Time(2024, 3, 5, 9, 0, 0)), "^cc24-03-05T09:00:00;");
    EXPECT_EQ(ClockText::Format(Time(24, 3, 5, 14, 7, 9)), "24-03-05 14:07:09");
    EXPECT_EQ(ClockText::Format(Time(2100, 1, 2, 3, 4, 5)), "00-01-02 03:04:05");
}

TEST(ClockText, DifferenceIsAmplifierMinusComputerInSeconds)
{
    SYSTEMTIME pc = Time(2024, 3, 5, 14, 8, 44);
    pc.wMilliseconds = 900;
    EXPECT_EQ(ClockText::DifferenceSeconds(Time(24, 3, 5, 14, 7, 9), pc), -95);
    EXPECT_EQ(ClockText::DifferenceSeconds(Time(24, 3, 6, 0, 0, 0), Time(2024, 3, 5, 23, 59, 59)), 1);
    // A clock that was never set, or a date that cannot be, has no difference.
    EXPECT_FALSE(ClockText::DifferenceSeconds(Time(0, 0, 0, 0, 0, 0), pc).has_value());
    // Every front end says it alike: a second either way comes and goes and is in step.
    for (const auto& [seconds, text] : {std::pair {std::optional<qint64>(-1), "in step with the PC"},
             {1, "in step with the PC"}, {2, "2 s ahead of the PC"}, {-95, "95 s behind the PC"}, {std::nullopt, ""}})
        EXPECT_EQ(ClockText::DifferenceText(seconds), QString::fromLatin1(text));
    EXPECT_FALSE(ClockText::DifferenceSeconds(Time(24, 2, 30, 0, 0, 0), pc).has_value());
}

TEST(AtuBands, BandsAreTakenByNumberMetresOrAllAndNeverGuessed)
{
    const std::pair<const char*, int> kRows[] = {
        {"0", 0},
        {"160", 0},
        {"160m", 0},
        {"5", 5},
        {"20", 5},
        {"17", 6},
        {"17m", 6},
        {"9", 9},
        {"6m", 10},
        {"10m", 9},
        {"ALL", 11},
        {" all ", 11},
        {"6", AtuBands::kAmbiguous},
        {"10", AtuBands::kAmbiguous},
        {"11", AtuBands::kUnknown},
        {"2m", AtuBands::kUnknown},
        {"", AtuBands::kUnknown},
        {"05", AtuBands::kUnknown},
        {"-1", AtuBands::kUnknown},
    };
    for (const auto& [text, band] : kRows)
        EXPECT_EQ(AtuBands::Parse(QString::fromLatin1(text)), band) << text;
    EXPECT_EQ(AtuBands::Description(3), "the 40 m band");
    EXPECT_EQ(AtuBands::Description(11), "all bands");
}
