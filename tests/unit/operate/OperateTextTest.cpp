// How readings are shown on the Operate page and by `qro4000 monitor`.
#include "operate/OperateText.h"
#include <gtest/gtest.h>

TEST(OperateText, ShowsTheReading)
{
    const std::pair<QString, const char*> rows[]
        = {{OperateText::Swr(9), ""}, {OperateText::Swr(15), "1.5"}, {OperateText::Swr(999), "99.9"},
            {OperateText::Swr(1000), ""}, {OperateText::Voltage(48950), "49.0"}, {OperateText::Voltage(48940), "48.9"},
            {OperateText::Frequency(0), ""}, {OperateText::Frequency(14200), "14200"}};
    int row = 0;
    for (const auto& [shown, expected] : rows)
        EXPECT_EQ(shown.toStdString(), expected) << "row " << row++;
}
