#include "MainFrameFixture.h"
#include "app/CommandTesterPage.h"
#include "app/EditMacrosPage1.h"
#include "app/EditMacrosPage2.h"
#include "app/EditMacrosSheet.h"
#include "link/ContactStateMachineInterface.h"
#include "sim/SimPort.h"
#include "ui/OutputWindow.h"
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTimer>
#include <ostream>

namespace {
const QRegularExpression kStampedLine(QStringLiteral("^\\d\\d:\\d\\d:\\d\\d (.*)$"));

// The output window's lines without their time stamps; a line without one is kept whole
// with a leading "!" so that the comparison fails.
QStringList Unstamped(const COutputWindow* output)
{
    QStringList lines;
    for (const QString& line : output->toPlainText().split('\n')) {
        const QRegularExpressionMatch match = kStampedLine.match(line);
        lines << (match.hasMatch() ? match.captured(1) : QStringLiteral("!") + line);
    }
    return lines;
}
} // namespace

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

TEST_F(CommandTesterTest, SemicolonSendsAndTheAnswerFollowsOnAStampedLine)
{
    QTest::keyClicks(page->Entry(), QStringLiteral("^sn"));
    EXPECT_TRUE(Sent().isEmpty());
    QTest::keyClicks(page->Entry(), QStringLiteral(";"));
    EXPECT_EQ(Sent(), QByteArray("^sn;"));
    EXPECT_TRUE(page->Entry()->text().isEmpty());
    EXPECT_TRUE(page->Entry()->hasFocus());
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return page->Output()->toPlainText().contains(QStringLiteral("^SN01234;")); }, 5000));
    EXPECT_EQ(Unstamped(page->Output()), (QStringList {"^sn;", "^SN01234;"}));
    Screenshot(QStringLiteral("command-tester"));
}

TEST_F(CommandTesterTest, EntryTextAndMacroGoOutAsOneText)
{
    frame->Model().m_commandTexts.Set(0, QStringLiteral("1;"));
    QTest::keyClicks(page->Entry(), QStringLiteral("^bn"));
    QTest::mouseClick(page->MacroButton(1), Qt::LeftButton);
    EXPECT_EQ(Sent(), QByteArray("^bn1;"));
    EXPECT_TRUE(page->Entry()->text().isEmpty());
    EXPECT_EQ(Unstamped(page->Output()).first(), QStringLiteral("^bn1;"));
}

TEST_F(CommandTesterTest, EnterSendsTheTextWithoutAddingASemicolon)
{
    QTest::keyClicks(page->Entry(), QStringLiteral("^sn"));
    QTest::keyClick(page->Entry(), Qt::Key_Return);
    EXPECT_EQ(Sent(), QByteArray("^sn"));
    EXPECT_TRUE(page->Entry()->text().isEmpty());
}

TEST_F(CommandTesterTest, MacroWithSeveralCommandsSendsThemTogether)
{
    frame->Model().m_commandTexts.Set(31, QStringLiteral("^sn;^rv;"));
    QTest::mouseClick(page->MacroButton(32), Qt::LeftButton);
    EXPECT_EQ(Sent(), QByteArray("^sn;^rv;"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return page->Output()->toPlainText().contains(QStringLiteral("^RV01.53;")); }, 5000));
    EXPECT_TRUE(page->Output()->toPlainText().contains(QStringLiteral("^SN01234;")));
}

TEST_F(CommandTesterTest, AnswerLinesShowWithoutCarriageReturns)
{
    device().SetCommandHandler("zz", [](const QByteArray&) { return QByteArray("^ZZ first\r\nsecond;"); });
    QTest::keyClicks(page->Entry(), QStringLiteral("^zz;"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return page->Output()->toPlainText().contains(QStringLiteral("second;")); }, 5000));
    EXPECT_FALSE(page->Output()->toPlainText().contains('\r'));
    EXPECT_EQ(Unstamped(page->Output()), (QStringList {"^zz;", "^ZZ first", "second;"}));
}

TEST_F(CommandTesterTest, ClearEmptiesTheOutputWindow)
{
    QTest::keyClicks(page->Entry(), QStringLiteral("^sn;"));
    ASSERT_FALSE(page->Output()->toPlainText().isEmpty());
    QTest::mouseClick(page->ClearButton(), Qt::LeftButton);
    EXPECT_TRUE(page->Output()->toPlainText().isEmpty());
}

TEST_F(CommandTesterTest, UpAndDownRecallEarlierTextsWithoutSendingThem)
{
    QTest::keyClicks(page->Entry(), QStringLiteral("^sn;"));
    QTest::keyClicks(page->Entry(), QStringLiteral("^rv;"));
    QTest::keyClicks(page->Entry(), QStringLiteral("^b"));
    device().ClearLogs();
    const struct {
        Qt::Key key;
        const char* text;
    } steps[] = {{Qt::Key_Up, "^rv;"}, {Qt::Key_Up, "^sn;"}, {Qt::Key_Up, "^sn;"}, {Qt::Key_Down, "^rv;"},
        {Qt::Key_Down, "^b"}, {Qt::Key_Down, "^b"}};
    for (const auto& step : steps) {
        QTest::keyClick(page->Entry(), step.key);
        EXPECT_EQ(page->Entry()->text(), QString::fromLatin1(step.text));
    }
    EXPECT_TRUE(Sent().isEmpty());
    QTest::keyClick(page->Entry(), Qt::Key_Up);
    QTest::keyClick(page->Entry(), Qt::Key_Return);
    EXPECT_EQ(Sent(), QByteArray("^rv;"));
}

struct DestructiveCase {
    const char* text;
    bool answer;
    bool sent;
};

void PrintTo(const DestructiveCase& c, std::ostream* os)
{
    *os << QString::fromLatin1(c.text).remove('^').remove(';').toStdString() << (c.answer ? "_yes" : "_no");
}

class DestructiveCommandTest : public CommandTesterTest, public ::testing::WithParamInterface<DestructiveCase> { };

TEST_P(DestructiveCommandTest, IsSentOnlyAfterConfirmation)
{
    prompt.answers = {GetParam().answer};
    const QString text = QString::fromLatin1(GetParam().text);
    QTest::keyClicks(page->Entry(), text);
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0].icon, IUserPrompt::Icon::Warning);
    EXPECT_EQ(prompt.questions[0].caption, QStringLiteral("Confirm Command"));
    EXPECT_TRUE(prompt.questions[0].text.endsWith(QStringLiteral("Send \"%1\" anyway?").arg(text)));
    EXPECT_EQ(Sent(), GetParam().sent ? text.toLatin1() : QByteArray());
    // A declined text stays in the entry to be corrected.
    EXPECT_EQ(page->Entry()->text(), GetParam().sent ? QString() : text);
}

INSTANTIATE_TEST_SUITE_P(Commands, DestructiveCommandTest,
    ::testing::Values(DestructiveCase {"^ld;", false, false}, DestructiveCase {"^ld;", true, true},
        DestructiveCase {"^ec;", false, false}, DestructiveCase {"^EC;", true, true},
        DestructiveCase {"^em;", false, false}, DestructiveCase {"^em1;", true, true}));

TEST_F(CommandTesterTest, EditMacrosApplyRelabelsTheButtonsAtOnce)
{
    QString labelDuringDialog;
    bool found = false;
    QTimer::singleShot(0, [&] {
        auto* sheet = qobject_cast<CEditMacrosSheet*>(QApplication::activeModalWidget());
        if (!sheet)
            return;
        found = true;
        EXPECT_EQ(sheet->windowTitle(), QStringLiteral("Edit Macros"));
        EXPECT_EQ(sheet->Tabs()->tabText(0), QStringLiteral("Macros 1-16"));
        EXPECT_EQ(sheet->Tabs()->tabText(1), QStringLiteral("Macros 17-32"));
        EXPECT_EQ(sheet->Page1()->LabelEdit(1)->text(), QStringLiteral("Macro 1"));
        EXPECT_FALSE(sheet->ApplyButton()->isEnabled());
        QTest::keyClicks(sheet->Page1()->LabelEdit(1), QStringLiteral(" SN"));
        QTest::keyClicks(sheet->Page1()->CommandEdit(1), QStringLiteral("^sn;"));
        sheet->Tabs()->setCurrentIndex(1);
        sheet->Page2()->LabelEdit(20)->setText(QStringLiteral("Revision"));
        sheet->Page2()->CommandEdit(20)->setText(QStringLiteral("^rv;"));
        GuiTest::SaveScreenshot(sheet, QStringLiteral("EditMacrosApplyRelabelsTheButtonsAtOnce-macro-editor"));
        ASSERT_TRUE(sheet->ApplyButton()->isEnabled());
        QTest::mouseClick(sheet->ApplyButton(), Qt::LeftButton);
        labelDuringDialog = page->MacroButton(1)->text();
        sheet->reject();
    });
    QTest::mouseClick(page->EditMacrosButton(), Qt::LeftButton);
    ASSERT_TRUE(found);
    EXPECT_EQ(labelDuringDialog, QStringLiteral("Macro 1 SN"));
    EXPECT_EQ(page->MacroButton(20)->text(), QStringLiteral("Revision"));
    EXPECT_EQ(frame->Model().m_commandTexts.m_values[0], QStringLiteral("^sn;"));
    EXPECT_EQ(frame->Model().m_commandTexts.m_values[19], QStringLiteral("^rv;"));
    Screenshot(QStringLiteral("command-tester"));

    // Saved with the other settings at exit.
    CloseFrame();
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("CommandCaption1")).toString(), QStringLiteral("Macro 1 SN"));
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("CommandText20")).toString(), QStringLiteral("^rv;"));
}

TEST_F(CommandTesterTest, CancelInTheMacroEditorChangesNothing)
{
    QTimer::singleShot(0, [&] {
        auto* sheet = qobject_cast<CEditMacrosSheet*>(QApplication::activeModalWidget());
        if (!sheet)
            return;
        sheet->Page1()->LabelEdit(2)->setText(QStringLiteral("Changed"));
        sheet->reject();
    });
    QTest::mouseClick(page->EditMacrosButton(), Qt::LeftButton);
    EXPECT_EQ(page->MacroButton(2)->text(), QStringLiteral("Macro 2"));
    EXPECT_EQ(frame->Model().m_commandCaptions.m_values[1], QStringLiteral("Macro 2"));
}

TEST_F(CommandTesterTest, EveryControlIsDisabledWhileNoAmplifierIsInContact)
{
    const QList<QWidget*> controls = page->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    ASSERT_GE(controls.size(), 37); // prompt, entry, 32 macros, output, Edit Macros, Clear
    for (QWidget* control : controls)
        EXPECT_TRUE(control->isEnabled()) << qPrintable(control->objectName());
    frame->Model().ContactMachine()->StartClosePort();
    ASSERT_TRUE(WaitForFirmwareStatus(FirmwareNone));
    for (QWidget* control : controls)
        EXPECT_FALSE(control->isEnabled()) << qPrintable(control->objectName());
    Screenshot(QStringLiteral("command-tester-disabled"));
    // Nothing goes out with no amplifier in contact.
    EXPECT_FALSE(page->SendText(QStringLiteral("^sn;")));
}

TEST_F(CommandTesterTest, TooltipsOfTheButtons)
{
    EXPECT_EQ(page->EditMacrosButton()->toolTip(), QStringLiteral("Open a dialog to edit macros"));
    EXPECT_EQ(page->ClearButton()->toolTip(), QStringLiteral("Erase output window"));
    EXPECT_FALSE(page->Entry()->whatsThis().isEmpty());
    EXPECT_FALSE(page->MacroButton(17)->whatsThis().isEmpty());
}

TEST_F(CommandTesterTest, MacroEditorHelpButtonOpensItsAnchor)
{
    QString source;
    QTimer::singleShot(0, [&] {
        auto* sheet = qobject_cast<CEditMacrosSheet*>(QApplication::activeModalWidget());
        if (!sheet)
            return;
        QTest::mouseClick(sheet->HelpButton(), Qt::LeftButton);
        // The help window opens as the modal sheet's own window, so that it takes input.
        EXPECT_EQ(CHelpWindow::Instance() ? CHelpWindow::Instance()->parentWidget() : nullptr, sheet);
        if (CHelpWindow* help = CHelpWindow::Instance())
            source = help->CurrentSource().toString();
        sheet->reject();
    });
    QTest::mouseClick(page->EditMacrosButton(), Qt::LeftButton);
    EXPECT_EQ(source, QStringLiteral("qrc:/help/CommandTester.htm#MacroEditor"));
}

TEST(DestructiveCommandWarning, NamesTheFirstDestructiveCommand)
{
    const struct {
        const char* text;
        unsigned warning;
        const char* command;
    } cases[] = {
        {"^sn;", 0, ""},
        {"^ld;", 1339, "^ld"},
        {"^LD;", 1339, "^ld"},
        {"^ec;", 1340, "^ec"},
        {"^em;", 1341, "^em"},
        {"^rv;^em;^ec;", 1341, "^em"},
        {"ld ec em", 0, ""},
    };
    for (const auto& c : cases) {
        QString command;
        EXPECT_EQ(CCommandTesterPage::DestructiveCommandWarning(QString::fromLatin1(c.text), &command), c.warning)
            << c.text;
        EXPECT_EQ(command, QString::fromLatin1(c.command)) << c.text;
    }
}
