// Every tab of the main window on the built-in simulated amplifier, as a new user sees it. With
// QRO4000_SCREENSHOTS naming a folder each tab is written there as a PNG (scripts/screenshots.sh
// makes the README's pictures so); a normal run writes nothing.
#include "MainFrameFixture.h"
#include "TestFiles.h"
#include "app/CommandTesterPage.h"
#include "firmware/ui/FirmwarePage.h"
#include "sim/SimFirmwareImage.h"
#include "ui/OutputWindow.h"
#include <QDir>
#include <QLabel>
#include <QLineEdit>

class TabScreenshots : public CMainFrameFixture { };

TEST_F(TabScreenshots, EveryTabShowsOnTheSimulatedAmplifier)
{
    ConnectToSim();
    ASSERT_TRUE(WriteWholeFile(QDir(frame->Model().m_firmwareFolder.m_value).filePath("qro4000fw0154.hex"),
        SimFirmwareImage::MakeHexImage(154)));
    CCommandTesterPage* tester = frame->CommandTesterPage();
    // What each tab shows once it has something to show.
    const std::pair<const char*, std::function<bool()>> tabs[] = {
        {"port", [] { return true; }},
        {"firmware", [&] { return frame->findChild<CFirmwarePage*>()->OrderText()->text() == "newer"; }},
        {"operate", [&] { return frame->findChild<QLabel*>("forward")->text().toInt() > 500; }},
        {"configuration", [] { return true; }},
        {"command-tester", [&] { return tester->Output()->toPlainText().contains("^RV01.53;"); }},
    };
    const QString folder = qEnvironmentVariable("QRO4000_SCREENSHOTS");
    for (int tab = 0; tab < 5; ++tab) {
        SelectPage(tab);
        if (tab == CTabView::CommandTesterPage)
            QTest::keyClicks(tester->Entry(), QStringLiteral("^rv;"));
        EXPECT_TRUE(QTest::qWaitFor(tabs[tab].second, 10000)) << tabs[tab].first;
        const QPixmap shot = frame->grab();
        ASSERT_FALSE(shot.isNull()) << tabs[tab].first;
        EXPECT_TRUE(folder.isEmpty()
            || (QDir().mkpath(folder) && shot.save(QDir(folder).filePath(tabs[tab].first + QString(".png")))));
    }
}
