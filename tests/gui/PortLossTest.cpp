// The main window on a real pseudo-terminal served in-process as qro4000-sim serves it: its far
// end closes under the window (boxes held open as the nested loops they are); another device answers.
#include "MainFrameFixture.h"
#include "app/ConfigPage.h"
#include "link/QtEventHost.h"
#include "model/RevisionText.h"
#include "sim/PtyServer.h"
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {
class PtyFrame : public CMainFrameFixture {
protected:
    // The amplifier on a new pseudo-terminal behind the same link, as a restarted qro4000-sim.
    void Serve()
    {
        CSimDevice::Options options;
        options.speed = 230400;
        device = std::make_shared<CSimDevice>(host, options);
        server = std::make_unique<CPtyServer>(device);
        ASSERT_TRUE(server->Start(nullptr));
        ASSERT_TRUE(server->MakeLink(link, nullptr));
    }
    bool WaitForBoxesClosed()
    {
        return QTest::qWaitFor([&] { return !prompt.messages.empty() && prompt.depth == 0; }, kContactLimitMs);
    }

    QTemporaryDir dir;
    QString link = dir.filePath("amp");
    CQtEventHost host;
    std::shared_ptr<CSimDevice> device;
    std::unique_ptr<CPtyServer> server;
};

class PortLoss : public PtyFrame, public ::testing::WithParamInterface<std::string> { };
} // namespace

TEST_P(PortLoss, FarEndClosingIsReportedOnceAndClosesThePortEverywhere)
{
    Serve();
    device->GetFaults().silent = GetParam() == "Searching";
    CMainFrame& window = Start(link);
    QStringList shown;
    QObject::connect(&window, &CMainFrame::StatusTextShown, [&](const QString& text) { shown << text; });
    if (GetParam() != "Searching") {
        ASSERT_TRUE(WaitForFirmwareStatus(FirmwareApplication));
        ASSERT_TRUE(WaitForBoxesClosed()); // the contact's own status box
        prompt.messages.clear();
    }
    prompt.holdMs = 700;
    if (GetParam() == "Saving") {
        // The save dialog is modal: the far end closes, and the failed dialog is closed, from
        // inside its loop.
        QTimer script;
        QObject::connect(&script, &QTimer::timeout, [&] {
            if (server && device->ReceivedLog().contains("^er"))
                server.reset();
            else if (!server && !prompt.messages.empty() && prompt.depth == 0)
                if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    dialog->reject();
        });
        script.start(20);
        SelectPage(CConfigPage::kTabIndex);
        auto* page = frame->findChild<CConfigPage*>();
        page->SetFileChoosers([&](QWidget*, const QString&, const QString&) { return dir.filePath("amp.cfg"); }, {});
        page->OpenSaveDialog();
        SelectPage(CTabView::PortPage);
    } else {
        ASSERT_TRUE(QTest::qWaitFor([&] { return device->ReceivedLog().contains(";"); }, kContactLimitMs));
        EXPECT_EQ(window.PortPage()->StopButton()->isVisible(), GetParam() == "Searching");
        server.reset();
    }
    ASSERT_TRUE(WaitForBoxesClosed());
    const QString lost = "Port " + link + " lost: is the cable unplugged?";
    // Once the window has taken the loss in everywhere, a second report would be on its way.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.ConnectionItem()->text().startsWith(lost); }, 5000));
    QCoreApplication::processEvents();
    EXPECT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.maxDepth, 1);
    EXPECT_TRUE(prompt.messages[0].text.contains("has gone away")) << qPrintable(prompt.messages[0].text);
    // The save's own box names the port, as the model's does.
    EXPECT_TRUE(prompt.messages[0].text.contains(link)) << qPrintable(prompt.messages[0].text);
    EXPECT_TRUE(window.PortPage()->ConnectionPanel()->text().startsWith(lost));
    EXPECT_TRUE(window.ConnectionItem()->text().startsWith(lost));
    EXPECT_EQ(shown.filter("Serial port \"" + link + "\" has gone away").size(), 1) << qPrintable(shown.join('\n'));
    const CModel& model = window.Model();
    EXPECT_EQ(model.m_firmwareStatus.m_value, FirmwareNone);
    EXPECT_EQ(window.windowTitle(), TitleBaseText() + " on " + link + " closed");
    EXPECT_FALSE(window.PortPage()->ClosePortButton()->isEnabled());

    prompt.holdMs = 0;
    Serve();
    QTest::mouseClick(window.PortPage()->TestButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitForFirmwareStatus(FirmwareApplication));
    EXPECT_EQ(model.m_portLost.m_value, 0);
}

INSTANTIATE_TEST_SUITE_P(
    While, PortLoss, ::testing::Values("Idle", "Searching", "Saving"), [](const auto& info) { return info.param; });

TEST_F(PtyFrame, AnotherDeviceIsNamedAndNotTakenForTheAmplifier)
{
    Serve();
    device->SetCommandHandler("I", [](const QByteArray&) { return QByteArray("^IRX5;"); });
    CMainFrame& window = Start(link);
    const QString found = "Found a RX5, not a QRO4000, on " + link;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return window.ConnectionItem()->toolTip() == found && !prompt.messages.empty(); },
            kContactLimitMs));
    EXPECT_EQ(prompt.messages[0].text, found);
    EXPECT_EQ(window.Model().m_firmwareStatus.m_value, FirmwareNone);
}
