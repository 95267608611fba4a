#include "ui/ContextHelp.h"
#include <gtest/gtest.h>

TEST(ContextHelp, ReadsSingleTopicsRangesAndSkipsComments)
{
    const CContextHelp help(QStringLiteral("; comment\r\n"
                                           ".topic 1000\r\n"
                                           "First line\r\n"
                                           "second line\r\n"
                                           ".topic 3001-3016\n"
                                           "A label.\n"
                                           "; not part of it\n"
                                           ".topic nonsense\n"
                                           "dropped\n"
                                           ".topic 20-10\n"
                                           "dropped too\n"));
    EXPECT_EQ(help.Count(), 2u);
    EXPECT_EQ(help.Text(1000), QStringLiteral("First line\nsecond line"));
    EXPECT_EQ(help.Text(3001), QStringLiteral("A label."));
    EXPECT_EQ(help.Text(3016), QStringLiteral("A label."));
    EXPECT_TRUE(help.Text(3017).isEmpty());
    EXPECT_TRUE(help.Text(15).isEmpty());
}
