#include "MainFrameFixture.h"
#include "app/CommandTesterPage.h"
#include "app/EditMacrosPage1.h"
#include "app/EditMacrosPage2.h"
#include "app/EditMacrosSheet.h"
#include "sim/SimPort.h"
#include "ui/ElidedButton.h"
#include "ui/OutputWindow.h"
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextBlock>
#include <QTimer>

class CommandTesterTest : public CMainFrameFixture {
protected:
    void SetUp() override
    {
        CMainFrameFixture::SetUp();
        ConnectToSim();
        SelectPage(CTabView::CommandTesterPage);
        page = frame->CommandTesterPage();
        device().ClearLogs();
        page->ClearButton()->click();
        page->Entry()->setFocus();
    }

    CSimDevice& device()
    {
        auto* port = dynamic_cast<CSimPort*>(frame->Model().Port());
        EXPECT_NE(port, nullptr);
        return port->Device();
    }
    QByteArray Sent() { return device().ReceivedLog(); }

    CCommandTesterPage* page = nullptr;
};

// A semicolon sends at once and Enter sends as typed; Up recalls without sending; a macro goes
// out after the entry's text, as one text.
TEST_F(CommandTesterTest, TypedTextGoesOutAtItsSemicolonOrEnterAndWithAMacro)
{
    device().SetCommandHandler("zz", [](const QByteArray&) { return QByteArray("^ZZ first\r\nsecond;"); });
    QTest::keyClicks(page->Entry(), QStringLiteral("^zz"));
    EXPECT_TRUE(Sent().isEmpty());
    QTest::keyClicks(page->Entry(), QStringLiteral(";"));
    EXPECT_EQ(Sent(), QByteArray("^zz;"));
    EXPECT_TRUE(page->Entry()->text().isEmpty());
    EXPECT_TRUE(page->Entry()->hasFocus());
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->Output()->toPlainText().endsWith("second;"); }, 5000));
    // Every line stamped with the time, "> " sent, "< " received.
    const QString stamp = QStringLiteral("\\d\\d:\\d\\d:\\d\\d ");
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^%1> \\^zz;\n%1< \\^ZZ first\n%1< second;$").arg(stamp))
                    .match(page->Output()->toPlainText())
                    .hasMatch())
        << page->Output()->toPlainText().toStdString();
    // Sent text has a colour of its own; answers keep the window's.
    QTextBlock block = page->Output()->document()->firstBlock();
    const QColor sent = block.begin().fragment().charFormat().foreground().color();
    EXPECT_NE(sent, block.next().begin().fragment().charFormat().foreground().color());
    EXPECT_NE(sent, page->Output()->palette().color(QPalette::Text));

    QTest::keyClicks(page->Entry(), QStringLiteral("^sn"));
    QTest::keyClick(page->Entry(), Qt::Key_Return);
    QTest::keyClicks(page->Entry(), QStringLiteral("^rv;"));
    EXPECT_TRUE(Sent().endsWith("^sn^rv;")) << Sent().toStdString();
    device().ClearLogs();
    QTest::keyClick(page->Entry(), Qt::Key_Up);
    QTest::keyClick(page->Entry(), Qt::Key_Up);
    EXPECT_EQ(page->Entry()->text(), QStringLiteral("^sn"));
    EXPECT_TRUE(Sent().isEmpty());
    QTest::keyClick(page->Entry(), Qt::Key_Return);
    EXPECT_EQ(Sent(), QByteArray("^sn"));

    device().ClearLogs();
    frame->Model().m_commandTexts.Set(0, QStringLiteral("1;"));
    QTest::keyClicks(page->Entry(), QStringLiteral("^bn"));
    QTest::mouseClick(page->MacroButton(1), Qt::LeftButton);
    EXPECT_EQ(Sent(), QByteArray("^bn1;"));
    EXPECT_TRUE(page->Entry()->text().isEmpty());
}

// Which commands count is pinned by the core's table test; here, what the answer does.
struct DestructiveCase {
    const char* name;
    const char* text;
    bool answer;
    friend void PrintTo(const DestructiveCase& c, std::ostream* os) { *os << c.name; }
};

class DestructiveCommandTest : public CommandTesterTest, public ::testing::WithParamInterface<DestructiveCase> { };

TEST_P(DestructiveCommandTest, IsSentOnlyAfterConfirmation)
{
    prompt.answers = {GetParam().answer};
    const QString text = QString::fromLatin1(GetParam().text);
    QTest::keyClicks(page->Entry(), text);
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0].caption, QStringLiteral("Confirm Command"));
    EXPECT_TRUE(prompt.questions[0].text.endsWith(QStringLiteral("Send \"%1\" anyway?").arg(text)));
    EXPECT_EQ(Sent(), GetParam().answer ? text.toLatin1() : QByteArray());
    // A declined text stays in the entry to be corrected.
    EXPECT_EQ(page->Entry()->text(), GetParam().answer ? QString() : text);
}

INSTANTIATE_TEST_SUITE_P(Commands, DestructiveCommandTest,
    ::testing::Values(DestructiveCase {"BootLoaderDeclined", "^ld;", false},
        DestructiveCase {"EraseConfigurationConfirmed", "^EC;", true}),
    [](const ::testing::TestParamInfo<DestructiveCase>& info) { return std::string(info.param.name); });

// The help button opens its anchor in a window of the modal sheet's own, so that it takes input.
TEST_F(CommandTesterTest, EditMacrosApplyRelabelsAtOnceCancelKeepsTheRestAndExitSaves)
{
    QString labelDuringDialog;
    QString help;
    QTimer::singleShot(0, [&] {
        auto* sheet = qobject_cast<CEditMacrosSheet*>(QApplication::activeModalWidget());
        if (!sheet)
            return;
        QTest::mouseClick(sheet->HelpButton(), Qt::LeftButton);
        if (CHelpWindow* window = CHelpWindow::Instance(); window && window->parentWidget() == sheet)
            help = window->CurrentSource().toString();
        sheet->Tabs()->setCurrentIndex(1);
        sheet->Page2()->LabelEdit(20)->setText(QStringLiteral("Revision"));
        QTest::keyClicks(sheet->Page2()->CommandEdit(20), QStringLiteral("^rv;")); // typing enables Apply
        QTest::mouseClick(sheet->ApplyButton(), Qt::LeftButton);
        labelDuringDialog = page->MacroButton(20)->text();
        sheet->Page1()->LabelEdit(2)->setText(QStringLiteral("Changed")); // then Cancel
        sheet->reject();
    });
    QTest::mouseClick(page->EditMacrosButton(), Qt::LeftButton);
    EXPECT_EQ(help, QStringLiteral("qrc:/help/CommandTester.htm#MacroEditor"));
    EXPECT_EQ(labelDuringDialog, QStringLiteral("Revision"));
    EXPECT_EQ(page->MacroButton(20)->toolTip(), QStringLiteral("Revision\nSends: ^rv;"));
    EXPECT_EQ(page->MacroButton(2)->text(), QStringLiteral("Macro 2"));
    CloseFrame(); // saved with the other settings at exit
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("CommandCaption20")).toString(), QStringLiteral("Revision"));
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("CommandText20")).toString(), QStringLiteral("^rv;"));
}

TEST_F(CommandTesterTest, LongLabelsAreCutInTheMiddleAndTheGridStaysEven)
{
    const QString label = QStringLiteral("Antenna one, tuner memory for the forty metre band");
    frame->Model().m_commandCaptions.Set(5, label);
    frame->Model().m_commandTexts.Set(5, QString());
    QCoreApplication::processEvents();
    EXPECT_TRUE(QRegularExpression("^Antenna.*\u2026.*band$").match(page->MacroButton(6)->text()).hasMatch())
        << page->MacroButton(6)->text().toStdString();
    EXPECT_EQ(page->MacroButton(6)->toolTip(), label + "\nSends nothing yet: Edit Macros gives it a command");
    for (int n = 1; n <= CCommandTesterPage::kMacroCount; ++n)
        EXPECT_NEAR(page->MacroButton(n)->width(), page->MacroButton(1)->width(), 1) << n; // one pixel of rounding
    frame->Model().m_commandCaptions.Set(5, QStringLiteral("Short"));
    EXPECT_EQ(page->MacroButton(6)->text(), QStringLiteral("Short"));
}
