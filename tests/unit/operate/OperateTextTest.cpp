// How readings are shown on the Operate page and by `qro4000 monitor`.
#include "operate/OperateText.h"
#include <gtest/gtest.h>

namespace {
struct TextCase {
    const char* name;
    QString shown;
    const char* expected;
    friend void PrintTo(const TextCase& c, std::ostream* os) { *os << c.name; }
};

class OperateTextShows : public ::testing::TestWithParam<TextCase> { };

TEST_P(OperateTextShows, TheReading)
{
    EXPECT_EQ(GetParam().shown.toStdString(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, OperateTextShows,
    ::testing::Values(TextCase {"SwrOf9IsEmpty", OperateText::Swr(9), ""},
        TextCase {"SwrOf15", OperateText::Swr(15), "1.5"}, TextCase {"SwrOf999", OperateText::Swr(999), "99.9"},
        TextCase {"SwrOf1000IsEmpty", OperateText::Swr(1000), ""},
        TextCase {"VoltageRoundsUp", OperateText::Voltage(48950), "49.0"},
        TextCase {"VoltageRoundsDown", OperateText::Voltage(48940), "48.9"},
        TextCase {"FrequencyOf0IsEmpty", OperateText::Frequency(0), ""},
        TextCase {"Frequency", OperateText::Frequency(14200), "14200"}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

} // namespace
