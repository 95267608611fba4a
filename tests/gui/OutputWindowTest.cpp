#include "ui/OutputWindow.h"
#include <gtest/gtest.h>

struct DecorateCase {
    const char* text;
    bool atLineStartBefore;
    const char* expected;
    bool atLineStartAfter;
};

class OutputDecorateTest : public ::testing::TestWithParam<DecorateCase> { };

TEST_P(OutputDecorateTest, StampsEveryLineAndDropsCarriageReturns)
{
    bool atLineStart = GetParam().atLineStartBefore;
    EXPECT_EQ(COutputWindow::Decorate(QString::fromLatin1(GetParam().text), QStringLiteral("12:34:56 "), &atLineStart),
        QString::fromLatin1(GetParam().expected));
    EXPECT_EQ(atLineStart, GetParam().atLineStartAfter);
}

INSTANTIATE_TEST_SUITE_P(Texts, OutputDecorateTest,
    ::testing::Values(DecorateCase {"^sn;", true, "12:34:56 ^sn;", false}, DecorateCase {"\r\n", false, "\n", true},
        // An answer split over two reads goes on in the same line.
        DecorateCase {"234;", false, "234;", false},
        DecorateCase {"a\r\nb\r\n", true, "12:34:56 a\n12:34:56 b\n", true}, DecorateCase {"\r", true, "", true},
        DecorateCase {"\n\n", true, "12:34:56 \n12:34:56 \n", true}, DecorateCase {"", false, "", false}));

TEST(OutputWindow, AppendsWithTheClockTimeAndClearsToALineStart)
{
    COutputWindow output;
    output.SetClock([] { return QTime(9, 5, 7); });
    output.AppendText(QStringLiteral("^sn;\r\n"), QStringLiteral("> "), Qt::blue);
    output.AppendText(QStringLiteral("^SN0"));
    output.AppendText(QStringLiteral("1234;"));
    output.EndLine();
    output.EndLine(); // once: the line has ended
    EXPECT_EQ(output.toPlainText(), QStringLiteral("09:05:07 > ^sn;\n09:05:07 ^SN01234;\n"));
    output.ClearOutput();
    EXPECT_TRUE(output.toPlainText().isEmpty());
    output.AppendText(QStringLiteral("x"));
    EXPECT_EQ(output.toPlainText(), QStringLiteral("09:05:07 x"));
    // Columns of answers line up only in a font that says it is fixed-pitch.
    EXPECT_TRUE(QFontInfo(COutputWindow::OutputFont()).fixedPitch());
}
