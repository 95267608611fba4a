#include "MainFrameFixture.h"
#include "link/QtEventHost.h"
#include "model/QtSettingsStore.h"
#include "model/ResultCode.h"
#include "model/RevisionText.h"
#include "sim/SimDevice.h"
#include "sim/SimPort.h"
#include "station/ShareServer.h"
#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

class PortPageTest : public CMainFrameFixture {
protected:
    // The Port page's panel and the status bar's link item come to say the same, from `start` to `end`.
    ::testing::AssertionResult LinkSays(const QString& start, const QString& end = QString())
    {
        const QLabel* panel = frame->PortPage()->ConnectionPanel();
        const bool same = QTest::qWaitFor(
            [&] {
                return panel->text().startsWith(start) && panel->text().endsWith(end)
                    && frame->ConnectionItem()->toolTip() == panel->text();
            },
            kContactLimitMs);
        return same ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << qPrintable(panel->text());
    }
};

// The panel and the status bar's item say the same at every step; Close Port and Stop leave no
// stale line in the status bar.
TEST_F(PortPageTest, PanelAndStatusBarFollowTheLink)
{
    CMainFrame& window = Start();
    CPortPage* page = window.PortPage();
    auto statusBarSays
        = [&](const QString& text) { return QTest::qWaitFor([&] { return window.StatusText() == text; }, 5000); };
    EXPECT_TRUE(LinkSays("No port chosen"));
    QTest::mouseClick(page->TestButton(), Qt::LeftButton); // with no port: an error box, the list opens
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].caption + ": " + prompt.messages[0].text,
        QStringLiteral("Select a Serial Port: Please choose a serial port on the Port page"));
    EXPECT_EQ(window.StatusText(), QStringLiteral("Please choose a serial port on the Port page"));
    EXPECT_TRUE(page->PortList()->view()->isVisible());
    page->PortList()->hidePopup();

    ChooseInPortList(QStringLiteral("SIM"));
    EXPECT_TRUE(LinkSays("Connected: QRO4000 revision 01.53, serial number 01234, on SIM at 38400 bit/s"));
    EXPECT_TRUE(page->ClosePortButton()->isEnabled());
    EXPECT_FALSE(page->StopButton()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return prompt.messages.size() == 2; }, 5000)); // the contact's box, once
    EXPECT_EQ(prompt.messages[1].icon, IUserPrompt::Icon::Information);
    EXPECT_EQ(prompt.messages[1].text, QStringLiteral("QRO4000 revision 01.53. Serial port speed 38400 bit/s"));
    SelectPage(CTabView::CommandTesterPage); // and back: showing the page shows no box
    SelectPage(CTabView::PortPage);
    QCoreApplication::processEvents(); // a box would be on its way now
    EXPECT_EQ(prompt.messages.size(), 2u);

    QTest::mouseClick(page->ClosePortButton(), Qt::LeftButton);
    EXPECT_TRUE(LinkSays("Port SIM closed."));
    EXPECT_FALSE(page->ClosePortButton()->isEnabled());
    EXPECT_EQ(window.windowTitle(), TitleBaseText() + QStringLiteral(" on SIM closed"));
    EXPECT_TRUE(statusBarSays(QString())) << qPrintable(window.StatusText());

    // Nothing answers: the search goes on until Stop, which ends it at once.
    static_cast<CSimPort*>(window.Model().Port())->Device().GetFaults().silent = true;
    QTest::mouseClick(page->TestButton(), Qt::LeftButton);
    EXPECT_TRUE(LinkSays("Searching for the QRO4000 on SIM at "));
    EXPECT_TRUE(page->StopButton()->isVisible());
    QTest::mouseClick(page->StopButton(), Qt::LeftButton);
    EXPECT_TRUE(LinkSays("Search stopped on SIM."));
    EXPECT_FALSE(page->StopButton()->isVisible());
    // No speed in the title once the search has given up: none is known.
    EXPECT_EQ(window.windowTitle(), TitleBaseText() + QStringLiteral(" on SIM"));
    EXPECT_TRUE(statusBarSays(QString())) << qPrintable(window.StatusText());

    // Clearing the port name closes the port as well.
    QTest::mouseClick(page->TestButton(), Qt::LeftButton);
    ASSERT_TRUE(window.Model().IsPortOpen());
    window.Model().m_port.Set(QString());
    EXPECT_TRUE(LinkSays("No port chosen"));
    EXPECT_FALSE(window.Model().IsPortOpen());
}

// Through a station server (in-process, on loopback) the panel and the status bar's item say
// the line is shared; while another program has it to itself they say why nothing answers,
// and the amplifier found before is not taken for lost when a poll meanwhile gets no answer.
TEST_F(PortPageTest, ASharedLineSaysSoAndABusyOneIsNoLostAmplifier)
{
    CQtEventHost host;
    auto device = std::make_shared<CSimDevice>(host, CSimDevice::Options {});
    CSimPort line(host, device);
    CLineArbiter arbiter(host);
    line.SetNotify([&] { arbiter.OnPortReadable(); });
    ASSERT_TRUE(line.Open(QStringLiteral("SIM"), true));
    line.SetSpeed(38400);
    arbiter.AttachPort(&line, false);
    CShareServer server(arbiter, {}, {});
    CListenAddress any;
    ASSERT_TRUE(ParseListenAddress(QStringLiteral("127.0.0.1:0"), &any));
    ASSERT_TRUE(server.Listen(any));
    const QString through = server.Address();

    CMainFrame& window = Start(QStringLiteral("rfc2217://") + through);
    const QString shared = QStringLiteral(" bit/s (shared through %1)").arg(through);
    EXPECT_TRUE(LinkSays(
        QStringLiteral("Connected: QRO4000 revision 01.53, serial number 01234, on rfc2217://%1 at ").arg(through), shared));

    struct Loader : IArbiterClient {
        void OnLineData(const QByteArray&) override { }
        void OnLineBusy(LineLease) override { }
    } loader;
    const CLineArbiter::ClientId loaderId = arbiter.AddClient(&loader, QStringLiteral("loader"));
    arbiter.Submit(loaderId, "^ld;");
    const QString busy
        = QStringLiteral("The amplifier shared through %1 is busy: another program is loading firmware").arg(through);
    EXPECT_TRUE(LinkSays(busy));
    // A poll cycle of the Operate page gets no answer and fails.
    struct Completions : IEventSink {
        void OnEvent(std::uint32_t, std::uintptr_t result, std::intptr_t) override { failed += Result::Failed(result); }
        int failed = 0;
    } completions;
    window.Model().m_completion.AddObserver(&completions);
    SelectPage(CTabView::OperatePage);
    EXPECT_TRUE(QTest::qWaitFor([&] { return completions.failed > 0; }, kContactLimitMs));
    window.Model().m_completion.RemoveObserver(&completions);
    EXPECT_EQ(window.Model().m_firmwareStatus.m_value, FirmwareApplication);
    EXPECT_TRUE(LinkSays(busy));

    arbiter.RemoveClient(loaderId);
    SelectPage(CTabView::PortPage);
    EXPECT_TRUE(LinkSays(QString(), QStringLiteral("(shared through %1)").arg(through)));
    CloseFrame();
}

// The port chosen last, or given with --port, is contacted at start; a saved port that has gone
// since is forgotten.
TEST_F(PortPageTest, PortAtStart)
{
    for (const char* saved : {"SIM", "", "COM7"}) {
        GuiTest::ClearSettings();
        GuiTest::WriteSetting(QStringLiteral("Port"), QString::fromLatin1(saved));
        CMainFrame& window = Start(*saved ? QString() : QStringLiteral("SIM"));
        const bool gone = QLatin1String(saved) == QLatin1String("COM7");
        EXPECT_EQ(window.PortPage()->PortList()->currentText(), gone ? QString() : QStringLiteral("SIM"));
        EXPECT_EQ(window.PortPage()->PortList()->currentIndex() < 0, gone);
        ASSERT_TRUE(gone || WaitForFirmwareStatus(FirmwareApplication));
        EXPECT_EQ(window.windowTitle(), TitleBaseText() + (gone ? "" : " - S/N 01234 on SIM at 38400 bit/s"));
        CloseFrame();
        EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("Port")).toString(), gone ? "" : "SIM");
    }
}

TEST_F(PortPageTest, TypedPortNameIsChosenWithEnter)
{
    CMainFrame& window = Start();
    QLineEdit* entry = window.PortPage()->PortList()->lineEdit();
    entry->setFocus();
    QTest::keyClicks(entry, QStringLiteral("/nonexistent/ttyQRO"));
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_EQ(window.Model().m_port.m_value, QStringLiteral("/nonexistent/ttyQRO"));
    // The contact could not open it: the reason stays in the status bar, the panel says the port is closed.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return window.ConnectionItem()->text().startsWith("Port /nonexistent/ttyQRO closed."); }, 5000));
    EXPECT_TRUE(window.StatusText().startsWith(QStringLiteral("Unable to open serial port \"/nonexistent/ttyQRO\"")))
        << qPrintable(window.StatusText());
    EXPECT_EQ(entry->text(), QStringLiteral("/nonexistent/ttyQRO"));
}

// The page on its own, over a port list that changes as adapters come and go.
class PortPageListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        model = std::make_unique<CModel>(host, std::make_unique<CQtSettingsStore>(dir.filePath("settings.ini")));
        model->LoadSettings();
    }
    void MakePage()
    {
        page = std::make_unique<CPortPage>(model.get(), &prompt, nullptr, [this] { return ports; });
        page->OnPageShown();
    }
    QStringList Names() const
    {
        QStringList names;
        for (int i = 0; i < page->PortList()->count(); ++i)
            names << page->PortList()->itemText(i);
        return names;
    }
    static CPortInfo Port(const char* name, const char* description) { return {name, description, QString()}; }

    QTemporaryDir dir;
    CQtEventHost host;
    std::unique_ptr<CModel> model;
    CScriptedPrompt prompt;
    std::vector<CPortInfo> ports {Port("ttyUSB1", "FT232R USB UART")};
    std::unique_ptr<CPortPage> page;
};

// Sorted without regard to case, SIM last with its description; opening the list shows an
// adapter plugged in meanwhile and keeps the selection.
TEST_F(PortPageListTest, DropDownShowsNewPortsAndKeepsTheSelection)
{
    ports = {Port("ttyUSB1", "FT232R USB UART"), Port("COM10", ""), Port("com3", ""), Port("SIM", ""), Port("", "")};
    model->m_port.Set(QStringLiteral("ttyUSB1"));
    MakePage();
    CPortComboBox* list = page->PortList();
    EXPECT_EQ(Names(), (QStringList {"COM10", "com3", "ttyUSB1", "SIM"}));
    EXPECT_EQ(list->DescriptionAt(3), QStringLiteral("built-in simulated amplifier"));
    EXPECT_EQ(list->currentIndex(), 2); // the saved port, still present
    ports.push_back(Port("ttyACM0", "QRO4000 USB"));
    list->showPopup();
    EXPECT_EQ(Names(), (QStringList {"COM10", "com3", "ttyACM0", "ttyUSB1", "SIM"}));
    EXPECT_EQ(list->DescriptionAt(2), QStringLiteral("QRO4000 USB"));
    EXPECT_EQ(list->currentText(), QStringLiteral("ttyUSB1"));
    EXPECT_EQ(list->currentIndex(), 3);
    list->hidePopup();
    // A name is matched whole: "ttyUSB" that has gone is not shown as ttyUSB1.
    page->ChoosePort(QStringLiteral("ttyUSB"));
    EXPECT_EQ(list->currentIndex(), -1);
    EXPECT_EQ(list->currentText(), QStringLiteral("ttyUSB"));
}

TEST_F(PortPageListTest, ServerAddressesChosenAreOfferedNewestFirstAndKeptAtTheNextStart)
{
    MakePage();
    for (const char* name : {"rfc2217://a:1", "socket://b:2", "rfc2217://c:3", "rfc2217://d:4", "rfc2217://e:5",
             "rfc2217://f:6", "RFC2217://a:1", "ttyUSB1", "rfc2217://no-port"})
        page->ChoosePort(QString::fromLatin1(name));
    page->FillList();
    const QStringList names = Names();
    // Five at most; a name chosen again moves up; devices and malformed names are not kept.
    EXPECT_EQ(names,
        (QStringList {
            "ttyUSB1", "RFC2217://a:1", "rfc2217://f:6", "rfc2217://e:5", "rfc2217://d:4", "rfc2217://c:3", "SIM"}));
    EXPECT_EQ(page->PortList()->DescriptionAt(1), QStringLiteral("serial device server, used before"));

    // No system list holds a server: the next start keeps it chosen all the same.
    model->m_port.Set(QStringLiteral("socket://b:2"));
    page.reset();
    MakePage();
    EXPECT_EQ(model->m_port.m_value, QStringLiteral("socket://b:2"));
    EXPECT_EQ(page->PortList()->currentText(), QStringLiteral("socket://b:2"));
}
