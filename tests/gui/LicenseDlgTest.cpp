#include "app/LicenseDlg.h"
#include <QPlainTextEdit>
#include <QScrollBar>
#include <gtest/gtest.h>

// The licence keeps its own line breaks: every line of the file is one line on the screen,
// and the window is wide enough to show them without scrolling sideways.
TEST(LicenseDlg, ShowsTheLicenceLineForLineWithoutScrollingSideways)
{
    CLicenseDlg dialog;
    dialog.show();
    auto* text = dialog.findChild<QPlainTextEdit*>();
    ASSERT_NE(text, nullptr);
    const QStringList lines = CLicenseDlg::LicenseText().split('\n');
    ASSERT_GT(lines.size(), 10);
    EXPECT_EQ(text->document()->lineCount(), lines.size());
    EXPECT_FALSE(text->horizontalScrollBar()->isVisible());
}
