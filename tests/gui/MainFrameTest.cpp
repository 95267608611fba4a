#include "MainFrameFixture.h"
#include "app/AboutDlg.h"
#include "app/AppStringIds.h"
#include "app/CommandTesterPage.h"
#include "app/LicenseDlg.h"
#include "firmware/ui/FirmwarePage.h"
#include "model/RevisionText.h"
#include "model/StringTable.h"
#include "ui/ContextHelp.h"
#include "ui/OutputWindow.h"
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QWhatsThis>
#include <ostream>

namespace {
QString PageName(int pageIndex)
{
    static const char* const kNames[] = {"port", "firmware", "operate", "configuration", "command-tester"};
    return pageIndex >= 0 && pageIndex < 5 ? QString::fromLatin1(kNames[pageIndex]) : QStringLiteral("none");
}
} // namespace

class MainFrameTest : public CMainFrameFixture { };

TEST_F(MainFrameTest, FirstStartWithNoSettingsShowsPortPageRevisionTitleAndReady)
{
    CMainFrame& window = Start();
    EXPECT_EQ(window.TabView()->CurrentPageIndex(), CTabView::PortPage);
    EXPECT_EQ(window.windowTitle(), TitleBaseText());
    EXPECT_EQ(window.windowTitle(), QStringLiteral("QRO4000 Utility Revision 1.0.0.0"));
    EXPECT_EQ(window.StatusText(), QStringLiteral("Ready"));
    EXPECT_TRUE(prompt.messages.empty());

    // Sized from the pages (105 % by 109 % of the tab view, never below what the layout needs)
    // and centred on the screen.
    const QSize pages = window.TabView()->sizeHint();
    const QSize expected = QSize((pages.width() * 105 + 50) / 100, (pages.height() * 109 + 50) / 100)
                               .expandedTo(window.minimumSizeHint());
    EXPECT_EQ(window.MinimumTrackingSize(), expected);
    EXPECT_EQ(window.minimumSize(), expected);
    EXPECT_EQ(window.size(), expected);
    const QPoint centre = window.screen()->availableGeometry().center();
    EXPECT_LE((window.frameGeometry().center() - centre).manhattanLength(), 2);
    Screenshot(QStringLiteral("port"));
}

TEST_F(MainFrameTest, PagesAreInTheirOrderWithTheirNames)
{
    CMainFrame& window = Start();
    CTabView* tabs = window.TabView();
    ASSERT_EQ(tabs->count(), 5);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("Port"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Firmware"));
    EXPECT_EQ(tabs->tabText(2), QStringLiteral("Operate"));
    EXPECT_EQ(tabs->tabText(3), QStringLiteral("Configuration"));
    EXPECT_EQ(tabs->tabText(4), QStringLiteral("Command Tester"));
    EXPECT_EQ(tabs->Page(CTabView::PortPage), window.PortPage());
    EXPECT_EQ(tabs->Page(CTabView::CommandTesterPage), window.CommandTesterPage());
    EXPECT_TRUE(tabs->HasPage(CTabView::OperatePage));
}

struct ActivePageCase {
    int stored;
    int shown;
};

void PrintTo(const ActivePageCase& c, std::ostream* os)
{
    *os << "stored_" << c.stored;
}

class ActivePageTest : public CMainFrameFixture, public ::testing::WithParamInterface<ActivePageCase> { };

TEST_P(ActivePageTest, StoredPageIsShownAtStart)
{
    GuiTest::WriteSetting(QStringLiteral("ActivePage"), GetParam().stored);
    CMainFrame& window = Start();
    EXPECT_EQ(window.TabView()->CurrentPageIndex(), GetParam().shown);
    Screenshot(PageName(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(Pages, ActivePageTest,
    ::testing::Values(ActivePageCase {0, CTabView::PortPage}, ActivePageCase {1, CTabView::FirmwarePage},
        ActivePageCase {3, CTabView::ConfigurationPage}, ActivePageCase {4, CTabView::CommandTesterPage},
        ActivePageCase {2, CTabView::OperatePage}, ActivePageCase {7, CTabView::PortPage},
        ActivePageCase {-1, CTabView::PortPage}));

TEST_F(MainFrameTest, ShutdownStoresPageShownSettingsAndPlacement)
{
    CMainFrame& window = Start();
    SelectPage(CTabView::CommandTesterPage);
    Screenshot(PageName(CTabView::CommandTesterPage));
    window.Model().m_trace.Set(1);
    CloseFrame();
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("ActivePage")).toInt(), CTabView::CommandTesterPage);
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("Trace")).toInt(), 1);
    for (const char* name : CMainFrame::kPlacementNames)
        EXPECT_TRUE(GuiTest::HasSetting(QStringLiteral("Window/") + QLatin1String(name))) << name;

    Start();
    EXPECT_EQ(frame->TabView()->CurrentPageIndex(), CTabView::CommandTesterPage);
}

TEST_F(MainFrameTest, WindowPlacementRoundTrips)
{
    CMainFrame& first = Start();
    const QRect placed(QPoint(40, 30), first.MinimumTrackingSize() + QSize(37, 23));
    first.setGeometry(placed);
    ASSERT_TRUE(QTest::qWaitFor([&] { return first.geometry() == placed; }, 5000));
    CloseFrame();
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("Window/left")).toInt(), placed.left());
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("Window/top")).toInt(), placed.top());
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("Window/right")).toInt(), placed.left() + placed.width());
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("Window/bottom")).toInt(), placed.top() + placed.height());
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("Window/showCmd")).toInt(), 1);

    CMainFrame& second = Start();
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
    EXPECT_EQ(window.size(), window.MinimumTrackingSize());
    EXPECT_NE(window.geometry().topLeft(), QPoint(40, 30));
}

TEST_F(MainFrameTest, ViewMenuChecksFollowTheirSettings)
{
    GuiTest::WriteSetting(QStringLiteral("Trace"), 1);
    GuiTest::WriteSetting(QStringLiteral("VerboseLogging"), 0);
    GuiTest::WriteSetting(QStringLiteral("AdvancedMode"), 1);
    CMainFrame& window = Start();
    auto* advanced = window.findChild<QAction*>(QStringLiteral("actionAdvancedMode"));
    auto* statusBar = window.findChild<QAction*>(QStringLiteral("actionStatusBar"));
    auto* trace = window.findChild<QAction*>(QStringLiteral("actionTrace"));
    auto* verbose = window.findChild<QAction*>(QStringLiteral("actionVerboseLogging"));
    ASSERT_TRUE(advanced && statusBar && trace && verbose);
    EXPECT_TRUE(advanced->isChecked());
    EXPECT_TRUE(statusBar->isChecked());
    EXPECT_TRUE(trace->isChecked());
    EXPECT_FALSE(verbose->isChecked());

    verbose->trigger();
    EXPECT_EQ(window.Model().m_verboseLogging.m_value, 1);
    EXPECT_TRUE(verbose->isChecked());
    trace->trigger();
    EXPECT_EQ(window.Model().m_trace.m_value, 0);
    EXPECT_FALSE(trace->isChecked());
    advanced->trigger();
    EXPECT_EQ(window.Model().m_advancedMode.m_value, 0u);
    EXPECT_FALSE(advanced->isChecked());
    statusBar->trigger();
    EXPECT_TRUE(window.statusBar()->isHidden());
    EXPECT_FALSE(statusBar->isChecked());
    statusBar->trigger();
    EXPECT_FALSE(window.statusBar()->isHidden());

    // A setting changed elsewhere moves its check as well.
    window.Model().m_trace.Set(1);
    EXPECT_TRUE(trace->isChecked());

    CloseFrame();
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("VerboseLogging")).toInt(), 1);
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("AdvancedMode")).toInt(), 0);
}

TEST_F(MainFrameTest, F6AndShiftF6GoRoundThePages)
{
    CMainFrame& window = Start();
    const int forward[] = {CTabView::FirmwarePage, CTabView::OperatePage, CTabView::ConfigurationPage,
        CTabView::CommandTesterPage, CTabView::PortPage};
    for (int expected : forward) {
        QTest::keyClick(&window, Qt::Key_F6);
        EXPECT_EQ(window.TabView()->CurrentPageIndex(), expected);
        Screenshot(PageName(expected));
    }
    const int backward[] = {CTabView::CommandTesterPage, CTabView::ConfigurationPage};
    for (int expected : backward) {
        QTest::keyClick(&window, Qt::Key_F6, Qt::ShiftModifier);
        EXPECT_EQ(window.TabView()->CurrentPageIndex(), expected);
    }
}

TEST_F(MainFrameTest, CompletionEventPutsReadyBackInTheStatusBar)
{
    CMainFrame& window = Start();
    window.OnStatusLine(IStatusSink::Kind::Status, QStringLiteral("Configuration was saved"));
    EXPECT_EQ(window.StatusText(), QStringLiteral("Configuration was saved"));
    window.Model().NotifyCompletion(0);
    EXPECT_EQ(window.StatusText(), QStringLiteral("Ready"));
}

TEST_F(MainFrameTest, TraceLinesNeverReachTheStatusBar)
{
    CMainFrame& window = Start();
    QStringList shown;
    QObject::connect(&window, &CMainFrame::StatusTextShown, [&](const QString& text) { shown << text; });
    window.OnStatusLine(IStatusSink::Kind::Trace, QStringLiteral("QueryIState Send \"^I;\""));
    EXPECT_TRUE(shown.isEmpty());
    EXPECT_EQ(window.StatusText(), QStringLiteral("Ready"));
    window.OnStatusLine(IStatusSink::Kind::Status, QStringLiteral("Serial Port is closed"));
    EXPECT_EQ(shown, QStringList {QStringLiteral("Serial Port is closed")});
}

struct VerboseCase {
    int verboseLogging;
    bool reachesStatusBar;
};

void PrintTo(const VerboseCase& c, std::ostream* os)
{
    *os << "VerboseLogging_" << c.verboseLogging;
}

class VerboseLoggingTest : public CMainFrameFixture, public ::testing::WithParamInterface<VerboseCase> { };

TEST_P(VerboseLoggingTest, VerboseLinesReachTheStatusBarOnlyWhileVerboseLoggingIsOn)
{
    GuiTest::WriteSetting(QStringLiteral("VerboseLogging"), GetParam().verboseLogging);
    CMainFrame& window = Start();
    QStringList shown;
    QObject::connect(&window, &CMainFrame::StatusTextShown, [&](const QString& text) { shown << text; });
    ConnectToSim();
    // The contact's verbose lines, and the status line it ends with.
    const QString opening = QStringLiteral("Opening Serial Port SIM");
    const QString open = QStringLiteral("Serial Port SIM is open");
    EXPECT_EQ(shown.contains(opening), GetParam().reachesStatusBar) << qPrintable(shown.join('|'));
    EXPECT_EQ(shown.contains(open), GetParam().reachesStatusBar) << qPrintable(shown.join('|'));
    EXPECT_TRUE(shown.contains(QStringLiteral("Attempting to contact QRO4000 on port SIM at 230400 bit/s")));

    // A verbose line sent straight to the window is dropped as well while the setting is off.
    shown.clear();
    window.OnStatusLine(IStatusSink::Kind::Verbose, QStringLiteral("Serial port SIM is closed"));
    EXPECT_EQ(!shown.isEmpty(), GetParam().reachesStatusBar);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, VerboseLoggingTest, ::testing::Values(VerboseCase {0, false}, VerboseCase {1, true}));

TEST_F(MainFrameTest, FirmwareStatusChangesPutTheirLineInTheStatusBar)
{
    CMainFrame& window = Start();
    EXPECT_EQ(window.FirmwareStatusLine(), QStringLiteral("Serial Port is closed"));
    ConnectToSim();
    EXPECT_EQ(window.FirmwareStatusLine(), QStringLiteral("QRO4000 revision 01.53. Serial port speed 38400 bit/s"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.StatusText() == window.FirmwareStatusLine(); }, 5000))
        << qPrintable(window.StatusText());

    QTest::mouseClick(window.PortPage()->ClosePortButton(), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.StatusText() == QStringLiteral("Serial Port is closed"); }, 5000))
        << qPrintable(window.StatusText());
}

TEST_F(MainFrameTest, BootLoaderStatusLineNamesTheSpeed)
{
    qputenv("QRO4000_SIM", "baud=38400,pace=0,bootloader=1");
    CMainFrame& window = Start();
    ChooseInPortList(QStringLiteral("SIM"));
    ASSERT_TRUE(WaitForFirmwareStatus(FirmwareBootLoader));
    const QString expected = QStringLiteral("QRO4000 waiting for firmware load. Serial port speed 38400 bit/s.");
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.StatusText() == expected; }, 5000))
        << qPrintable(window.StatusText());
    ASSERT_FALSE(prompt.messages.empty());
    EXPECT_EQ(prompt.messages.back().icon, IUserPrompt::Icon::Warning);
    EXPECT_EQ(prompt.messages.back().text, expected);
    Screenshot(QStringLiteral("port"));
}

TEST_F(MainFrameTest, AboutShowsNameRevisionAndTheLicence)
{
    CMainFrame& window = Start();
    QString caption;
    QString name;
    QString licenceCaption;
    QString licence;
    QTimer::singleShot(0, [&] {
        auto* about = qobject_cast<CAboutDlg*>(QApplication::activeModalWidget());
        if (!about)
            return;
        caption = about->windowTitle();
        name = about->findChild<QLabel*>(QStringLiteral("programName"))->text();
        GuiTest::SaveScreenshot(about, QStringLiteral("AboutShowsNameRevisionAndTheLicence-about"));
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<CLicenseDlg*>(QApplication::activeModalWidget());
            if (dialog) {
                licenceCaption = dialog->windowTitle();
                licence = dialog->Text();
                dialog->accept();
            }
        });
        about->LicenseButton()->click();
        about->CloseButton()->click();
    });
    window.findChild<QAction*>(QStringLiteral("actionAbout"))->trigger();
    EXPECT_EQ(caption, QStringLiteral("About Brimwell QRO4000 Utility"));
    EXPECT_EQ(name, QStringLiteral("QRO4000 Utility Revision 1.0.0.0"));
    EXPECT_EQ(licenceCaption, QStringLiteral("License Agreement"));
    EXPECT_TRUE(licence.startsWith(QStringLiteral("MIT License"))) << qPrintable(licence.left(40));
    EXPECT_TRUE(licence.contains(QStringLiteral("QRO4000 Utility contributors")));
}

struct HelpCase {
    int page;
    const char* source;
};

void PrintTo(const HelpCase& c, std::ostream* os)
{
    *os << PageName(c.page).toStdString();
}

class HelpTopicTest : public CMainFrameFixture, public ::testing::WithParamInterface<HelpCase> { };

TEST_P(HelpTopicTest, F1OpensTheTopicOfThePageShown)
{
    CMainFrame& window = Start();
    SelectPage(GetParam().page);
    QTest::keyClick(&window, Qt::Key_F1);
    CHelpWindow* help = CHelpWindow::Instance();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(help->CurrentSource().toString(), QString::fromLatin1(GetParam().source));
    EXPECT_FALSE(help->CurrentText().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Pages, HelpTopicTest,
    ::testing::Values(HelpCase {CTabView::PortPage, "qrc:/help/Port.htm"},
        HelpCase {CTabView::CommandTesterPage, "qrc:/help/CommandTester.htm"}));

TEST_F(MainFrameTest, HelpWindowOpensAtAnAnchor)
{
    Start();
    CHelpWindow* help = CHelpWindow::ShowTopic(QStringLiteral("CommandTester.htm#MacroEditor"));
    EXPECT_EQ(help->CurrentSource().toString(), QStringLiteral("qrc:/help/CommandTester.htm#MacroEditor"));
    EXPECT_TRUE(help->CurrentText().contains(QStringLiteral("Macro editor")));
    GuiTest::SaveScreenshot(help, QStringLiteral("HelpWindowOpensAtAnAnchor-help"));

    CHelpWindow::ShowTopic(QStringLiteral("NoSuchTopic.htm"));
    EXPECT_EQ(help->CurrentText(), QStringLiteral("There is no help topic \"NoSuchTopic.htm\"."));
    EXPECT_EQ(CHelpWindow::Instance(), help); // one help window, reused
}

TEST_F(MainFrameTest, ExitClosesTheWindowAndSavesTheSettings)
{
    CMainFrame& window = Start();
    SelectPage(CTabView::ConfigurationPage);
    window.findChild<QAction*>(QStringLiteral("actionExit"))->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isVisible(); }, 5000));
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("ActivePage")).toInt(), CTabView::ConfigurationPage);
}

TEST_F(MainFrameTest, ShiftF1AsksWhichControlToExplain)
{
    CMainFrame& window = Start();
    QTest::keyClick(&window, Qt::Key_F1, Qt::ShiftModifier);
    EXPECT_TRUE(QWhatsThis::inWhatsThisMode());
    QWhatsThis::leaveWhatsThisMode();
    EXPECT_EQ(window.PortPage()->TestButton()->whatsThis(), CContextHelp::Program().Text(CPortPage::kTestButtonId));
    EXPECT_TRUE(
        window.PortPage()->TestButton()->whatsThis().startsWith(QStringLiteral("Closes the port, opens it again")));
}

TEST_F(MainFrameTest, StatusVerboseAndTraceLinesReachTheActivityLogOfThePageShown)
{
    GuiTest::WriteSetting(QStringLiteral("Trace"), 1);
    GuiTest::WriteSetting(QStringLiteral("VerboseLogging"), 1);
    CMainFrame& window = Start();
    SelectPage(CTabView::FirmwarePage);
    auto* firmware = qobject_cast<CFirmwarePage*>(window.TabView()->Page(CTabView::FirmwarePage));
    ASSERT_NE(firmware, nullptr);
    QStringList shown;
    QObject::connect(&window, &CMainFrame::StatusTextShown, [&](const QString& text) { shown << text; });
    window.Model().m_port.Set(QStringLiteral("SIM"));
    ASSERT_TRUE(WaitForFirmwareStatus(FirmwareApplication));
    const QString log = firmware->ActivityLog()->toPlainText();
    EXPECT_TRUE(log.contains(QStringLiteral("Opening Serial Port SIM"))) << qPrintable(log);
    EXPECT_TRUE(log.contains(QStringLiteral("Attempting to contact QRO4000 on port SIM at 38400 bit/s")));
    EXPECT_TRUE(log.contains(QStringLiteral("QueryIState Send \"^I;\""))) << qPrintable(log);
    for (const QString& text : shown)
        EXPECT_FALSE(text.contains(QStringLiteral(" Send \""))) << qPrintable(text);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return firmware->ActivityLog()->toPlainText().contains(QStringLiteral("QRO4000 revision 01.53")); },
        5000));
    Screenshot(QStringLiteral("firmware"));
}
