#include "MainFrameFixture.h"
#include "firmware/ui/FirmwarePage.h"
#include "model/RevisionText.h"
#include "ui/ContextHelp.h"
#include "ui/OutputWindow.h"
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <functional>
#include <QWhatsThis>

class MainFrameTest : public CMainFrameFixture { };

// A first start shows the Port page, the revision in the title and "Ready", centred; the page
// shown last is shown at start (an index without a page gives the Port page), and the window
// opens at one size whatever the page, on the offscreen platform's 800x800 screen (narrower
// than the pages would like) with its frame, menus and status bar; made as small as it goes, at
// most 880x520 with advanced mode shown or left again, each page scrolls rather than shrinks
// below what it needs.
TEST_F(MainFrameTest, StoredPageIsShownAtStartAtOneWindowSizeOnTheScreen)
{
    CMainFrame& first = Start();
    EXPECT_EQ(first.TabView()->CurrentPageIndex(), CTabView::PortPage);
    EXPECT_EQ(first.windowTitle(), QStringLiteral("QRO4000 Utility Revision 1.0.0.0"));
    EXPECT_EQ(first.StatusText(), QStringLiteral("Ready"));
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_LE((first.frameGeometry().center() - first.screen()->availableGeometry().center()).manhattanLength(), 2);
    CloseFrame();
    QList<QSize> sizes;
    for (const int stored : {0, 1, 2, 3, 4, 7, -1}) {
        GuiTest::ClearSettings();
        GuiTest::WriteSetting(QStringLiteral("ActivePage"), stored);
        CMainFrame& window = Start();
        const int shown = stored >= 0 && stored < CTabView::PageCount ? stored : int(CTabView::PortPage);
        EXPECT_EQ(window.TabView()->CurrentPageIndex(), shown) << stored;
        sizes << window.size();
        EXPECT_TRUE(window.screen()->availableGeometry().contains(window.frameGeometry())) << shown;
        QAction* advanced = window.findChild<QAction*>(QStringLiteral("actionAdvancedMode"));
        for (int round = 0; round < 3; ++round) { // advanced mode off, on and left again
            window.resize(1, 1);
            QCoreApplication::processEvents();
            EXPECT_LE(window.width(), 880) << shown << round;
            EXPECT_LE(window.height(), 520) << shown << round;
            const QWidget* page = window.TabView()->Page(shown);
            EXPECT_GE(page->width(), page->minimumSizeHint().width()) << shown << round;
            EXPECT_GE(page->height(), page->minimumSizeHint().height()) << shown << round;
            advanced->trigger();
        }
        CloseFrame();
    }
    EXPECT_EQ(sizes, QList<QSize>(sizes.size(), sizes[0]));
}

// Dialogs and the help window open on the screen, however large they would be.
TEST_F(MainFrameTest, WindowsOpenOnTheScreen)
{
    CMainFrame& window = Start();
    QDialog large(&window);
    large.setMinimumSize(300, 200);
    large.setGeometry(500, 400, 1200, 900);
    large.show();
    for (QWidget* opened : {static_cast<QWidget*>(CHelpWindow::ShowTopic(QStringLiteral("Port.htm"))),
             static_cast<QWidget*>(&large)}) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(opened)) << opened->metaObject()->className();
        const QRect placed = opened->frameGeometry();
        EXPECT_TRUE(window.screen()->availableGeometry().contains(placed)) << opened->metaObject()->className() << " at "
            << placed.x() << "," << placed.y() << " " << placed.width() << "x" << placed.height();
    }
}

TEST_F(MainFrameTest, ExitStoresPageShownSettingsAndPlacementForTheNextStart)
{
    CMainFrame& first = Start();
    SelectPage(CTabView::CommandTesterPage);
    first.Model().m_trace.Set(1);
    const QRect placed(QPoint(40, 30), CMainFrame::kLargestMinimumSize + QSize(37, 23));
    first.setGeometry(placed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.geometry() == placed; }, 5000));
    first.findChild<QAction*>(QStringLiteral("actionExit"))->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !first.isVisible(); }, 5000));
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("ActivePage")).toInt(), CTabView::CommandTesterPage);
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("Trace")).toInt(), 1);
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("Window/right")).toInt(), placed.left() + placed.width());
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("Window/showCmd")).toInt(), 1);
    CloseFrame();

    CMainFrame& second = Start();
    EXPECT_EQ(second.TabView()->CurrentPageIndex(), CTabView::CommandTesterPage);
    EXPECT_EQ(second.geometry(), placed);
}

TEST_F(MainFrameTest, PlacementWithAValueMissingIsIgnored)
{
    const int values[10] = {0, 1, -1, -1, -1, -1, 40, 30, 900, 700};
    for (int i = 0; i < 10; ++i) {
        if (i != 3) // "minPosY" is missing
            GuiTest::WriteSetting(QStringLiteral("Window/") + QLatin1String(CMainFrame::kPlacementNames[i]), values[i]);
    }
    CMainFrame& window = Start();
    EXPECT_TRUE(window.screen()->availableGeometry().contains(window.frameGeometry()));
    EXPECT_NE(window.geometry().topLeft(), QPoint(40, 30));
}

// Status, verbose and trace lines reach the activity log of the page shown; the status bar takes
// status and verbose lines (these only while asked for), cut to the window with the whole text
// in the tooltip, and the end of a task puts "Ready" back.
TEST_F(MainFrameTest, StatusLinesReachTheStatusBarAndTheActivityLog)
{
    GuiTest::WriteSetting(QStringLiteral("Trace"), 1);
    GuiTest::WriteSetting(QStringLiteral("VerboseLogging"), 1);
    CMainFrame& window = Start();
    SelectPage(CTabView::FirmwarePage);
    auto* firmware = qobject_cast<CFirmwarePage*>(window.TabView()->Page(CTabView::FirmwarePage));
    QStringList shown;
    QObject::connect(&window, &CMainFrame::StatusTextShown, [&](const QString& text) { shown << text; });
    window.Model().m_port.Set(QStringLiteral("SIM"));
    ASSERT_TRUE(WaitForFirmwareStatus(FirmwareApplication));
    const QString log = firmware->ActivityLog()->toPlainText();
    for (const char* line : {"Opening Serial Port SIM", "Attempting to contact QRO4000 on port SIM at 38400 bit/s",
             "QueryIState Send \"^I;\""})
        EXPECT_TRUE(log.contains(QLatin1String(line))) << qPrintable(log);
    EXPECT_TRUE(shown.filter(QStringLiteral(" Send \"")).isEmpty());
    EXPECT_TRUE(shown.contains(QStringLiteral("Opening Serial Port SIM")));
    // Where the link stands is the link item's to say: the lines that say it again (the search,
    // speed by speed, and its outcome) go to the log, and the status text beside the item
    // neither repeats nor contradicts it.
    const QString found = QStringLiteral("QRO4000 revision 01.53. Serial port speed 38400 bit/s");
    EXPECT_TRUE(QTest::qWaitFor([&] { return firmware->ActivityLog()->toPlainText().contains(found); }, 5000));
    EXPECT_TRUE(window.ConnectionItem()->toolTip().startsWith(QStringLiteral("Connected: QRO4000 revision 01.53")));
    EXPECT_TRUE(shown.filter(QStringLiteral("Attempting to contact")).isEmpty()) << qPrintable(shown.join('|'));
    EXPECT_FALSE(shown.contains(found));
    EXPECT_EQ(window.StatusText(), QStringLiteral("Ready"));

    auto* label = window.findChild<QLabel*>(QStringLiteral("statusText"));
    window.OnStatusLine(IStatusSink::Kind::Status, QStringLiteral("Failed to save configuration\r\nCannot write"));
    EXPECT_EQ(label->text(), QStringLiteral("Failed to save configuration  Cannot write"));
    EXPECT_EQ(label->toolTip(), QStringLiteral("Failed to save configuration\nCannot write"));
    window.Model().m_verboseLogging.Set(0);
    window.OnStatusLine(IStatusSink::Kind::Verbose, QStringLiteral("Serial port SIM is closed"));
    EXPECT_EQ(label->text(), QStringLiteral("Failed to save configuration  Cannot write"));
    window.Model().NotifyCompletion(0);
    EXPECT_EQ(window.StatusText(), QStringLiteral("Ready"));
    const QSize before = window.size();
    window.OnStatusLine(IStatusSink::Kind::Status, QString(400, QLatin1Char('x')));
    QCoreApplication::processEvents();
    EXPECT_EQ(window.size(), before);
    // Cut with "…", clear of the link item, whole in the tooltip.
    EXPECT_TRUE(label->text().endsWith(QChar(0x2026))) << qPrintable(label->text());
    EXPECT_LE(label->geometry().right(), window.ConnectionItem()->geometry().left());
    EXPECT_EQ(window.StatusText().size(), 400);
    // Beside a lost port, the end of a task is not "Ready".
    window.Model().m_portLost.Set(1);
    window.Model().NotifyCompletion(0);
    EXPECT_NE(window.StatusText(), QStringLiteral("Ready"));
    window.Model().m_portLost.Set(0);
    window.Model().ContactMachine()->StartClosePort(); // the port closed: said once, by the link item
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return firmware->ActivityLog()->toPlainText().contains(QLatin1String("Serial Port is closed")); }, 5000));
    EXPECT_TRUE(window.ConnectionItem()->toolTip().startsWith(QStringLiteral("Port SIM closed.")));
    EXPECT_EQ(window.StatusText(), QString());
}

TEST_F(MainFrameTest, HelpOpensThePageTopicAnAnchorOrSaysThereIsNone)
{
    CMainFrame& window = Start();
    SelectPage(CTabView::CommandTesterPage);
    QTest::keyClick(&window, Qt::Key_F1);
    CHelpWindow* help = CHelpWindow::Instance();
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->CurrentSource().toString(), QStringLiteral("qrc:/help/CommandTester.htm"));
    CHelpWindow::ShowTopic(QStringLiteral("Port.htm#state"));
    EXPECT_TRUE(help->CurrentText().contains(QStringLiteral("Where the link stands")));
    CHelpWindow::ShowTopic(QStringLiteral("NoSuchTopic.htm"));
    EXPECT_EQ(help->CurrentText(), QStringLiteral("There is no help topic \"NoSuchTopic.htm\"."));
    EXPECT_EQ(CHelpWindow::Instance(), help); // one help window, reused

    QTest::keyClick(&window, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();
    const QString whatsThis = window.PortPage()->TestButton()->whatsThis();
    EXPECT_FALSE(whatsThis.isEmpty());
    EXPECT_EQ(whatsThis, CContextHelp::Program().Text(CPortPage::kTestButtonId));
}

// The three-way question of the real window: Escape and closing the box are Cancel.
TEST_F(MainFrameTest, EscapeOrClosingTheThreeWayQuestionIsCancel)
{
    CMainFrame window(QStringLiteral("SIM"), nullptr);
    const struct {
        std::function<void(QMessageBox*)> act;
        IUserPrompt::Answer answer;
    } cases[] = {{[](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }, IUserPrompt::Answer::Cancel},
        {[](QMessageBox* box) { box->close(); }, IUserPrompt::Answer::Cancel},
        {[](QMessageBox* box) { box->button(QMessageBox::No)->click(); }, IUserPrompt::Answer::No}};
    for (const auto& c : cases) {
        QTimer::singleShot(0, [&] {
            (void)QTest::qWaitFor([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()) != nullptr; });
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                c.act(box);
        });
        EXPECT_EQ(window.AskYesNoCancel(IUserPrompt::Icon::Question, QStringLiteral("Backup"), QStringLiteral("Save?")),
            c.answer);
    }
}
