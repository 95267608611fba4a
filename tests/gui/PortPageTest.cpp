#include "MainFrameFixture.h"
#include "link/QtEventHost.h"
#include "model/QtSettingsStore.h"
#include "model/RevisionText.h"
#include <QAbstractItemView>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

class PortPageTest : public CMainFrameFixture { };

TEST_F(PortPageTest, ControlsHaveTheirTextsAndTips)
{
    CPortPage* page = Start().PortPage();
    EXPECT_EQ(page->TestButton()->text(), QStringLiteral("Test Communications"));
    EXPECT_EQ(page->TestButton()->toolTip(), QStringLiteral("Reopen port and determine serial port speed"));
    EXPECT_TRUE(page->TestButton()->isDefault());
    EXPECT_EQ(page->ClosePortButton()->text(), QStringLiteral("Close Port"));
    EXPECT_EQ(page->ClosePortButton()->toolTip(), QStringLiteral("Stop polling and close the serial port"));
    EXPECT_EQ(page->PortList()->toolTip(), QStringLiteral("Choose port connected to the QRO4000"));
    EXPECT_TRUE(page->PortList()->isEditable());
    EXPECT_FALSE(page->PortList()->whatsThis().isEmpty());
    EXPECT_FALSE(page->ClosePortButton()->isEnabled());
    // SIM is offered last, with its description.
    const int last = page->PortList()->count() - 1;
    EXPECT_EQ(page->PortList()->itemText(last), QStringLiteral("SIM"));
    EXPECT_EQ(page->PortList()->DescriptionAt(last), QStringLiteral("built-in simulated amplifier"));
}

TEST_F(PortPageTest, ChoosingSimConnectsWithoutAnotherClick)
{
    CMainFrame& window = Start();
    ChooseInPortList(QStringLiteral("SIM"));
    EXPECT_EQ(window.Model().m_port.m_value, QStringLiteral("SIM"));
    const QString expected = TitleBaseText() + QStringLiteral(" - S/N 01234 on SIM at 38400 bit/s");
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.windowTitle() == expected; }, kContactLimitMs))
        << qPrintable(window.windowTitle());
    EXPECT_TRUE(window.PortPage()->ClosePortButton()->isEnabled());
    // The status box of the contact, once.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !prompt.messages.empty(); }, 5000));
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].icon, IUserPrompt::Icon::Information);
    EXPECT_EQ(prompt.messages[0].caption, QStringLiteral("QRO4000 Status"));
    EXPECT_EQ(prompt.messages[0].text, QStringLiteral("QRO4000 revision 01.53. Serial port speed 38400 bit/s"));
    Screenshot(QStringLiteral("port"));

    CloseFrame();
    EXPECT_EQ(GuiTest::ReadSetting(QStringLiteral("Port")).toString(), QStringLiteral("SIM"));
}

TEST_F(PortPageTest, ClosePortDisablesItself)
{
    ConnectToSim();
    CMainFrame& window = *frame;
    QPushButton* close = window.PortPage()->ClosePortButton();
    ASSERT_TRUE(close->isEnabled());
    QTest::mouseClick(close, Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Model().IsPortOpen(); }, 5000));
    EXPECT_FALSE(close->isEnabled());
    EXPECT_EQ(window.windowTitle(), TitleBaseText() + QStringLiteral(" on SIM closed"));
    Screenshot(QStringLiteral("port"));

    // Test Communications opens it again.
    QTest::mouseClick(window.PortPage()->TestButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitForFirmwareStatus(FirmwareApplication));
    EXPECT_TRUE(close->isEnabled());
}

TEST_F(PortPageTest, SwitchingToAnotherTabAndBackShowsNoBox)
{
    ConnectToSim();
    ASSERT_TRUE(QTest::qWaitFor([&] { return prompt.messages.size() == 1; }, 5000));
    SelectPage(CTabView::CommandTesterPage);
    Screenshot(QStringLiteral("command-tester"));
    SelectPage(CTabView::PortPage);
    EXPECT_TRUE(frame->PortPage()->IsObserving());
    // A box would be posted to the event loop: let it run.
    QTest::qWait(50);
    EXPECT_EQ(prompt.messages.size(), 1u);
}

TEST_F(PortPageTest, TestCommunicationsWithNoPortChosenShowsTheErrorBox)
{
    CMainFrame& window = Start();
    QTest::mouseClick(window.PortPage()->TestButton(), Qt::LeftButton);
    ASSERT_EQ(prompt.messages.size(), 1u);
    EXPECT_EQ(prompt.messages[0].icon, IUserPrompt::Icon::Error);
    EXPECT_EQ(prompt.messages[0].caption, QStringLiteral("Select a Serial Port"));
    EXPECT_EQ(prompt.messages[0].text, QStringLiteral("Please choose a serial port on the Port page"));
    EXPECT_EQ(window.StatusText(), QStringLiteral("Please choose a serial port on the Port page"));
    EXPECT_TRUE(window.PortPage()->PortList()->view()->isVisible());
    Screenshot(QStringLiteral("port"));
    window.PortPage()->PortList()->hidePopup();
    EXPECT_FALSE(window.Model().IsPortOpen());
}

TEST_F(PortPageTest, SavedPortThatNoLongerExistsIsForgotten)
{
    GuiTest::WriteSetting(QStringLiteral("Port"), QStringLiteral("COM7"));
    CMainFrame& window = Start();
    EXPECT_TRUE(window.Model().m_port.m_value.isEmpty());
    EXPECT_EQ(window.PortPage()->PortList()->currentIndex(), -1);
    EXPECT_TRUE(window.PortPage()->PortList()->currentText().isEmpty());
    EXPECT_EQ(window.windowTitle(), TitleBaseText());
    CloseFrame();
    EXPECT_TRUE(GuiTest::ReadSetting(QStringLiteral("Port")).toString().isEmpty());
}

TEST_F(PortPageTest, SavedSimIsContactedAtStart)
{
    GuiTest::WriteSetting(QStringLiteral("Port"), QStringLiteral("SIM"));
    CMainFrame& window = Start();
    EXPECT_EQ(window.PortPage()->PortList()->currentText(), QStringLiteral("SIM"));
    ASSERT_TRUE(WaitForFirmwareStatus(FirmwareApplication));
    EXPECT_EQ(window.windowTitle(), TitleBaseText() + QStringLiteral(" - S/N 01234 on SIM at 38400 bit/s"));
}

TEST_F(PortPageTest, PortOptionChoosesThePortAtStart)
{
    CMainFrame& window = Start(QStringLiteral("SIM"));
    EXPECT_EQ(window.Model().m_port.m_value, QStringLiteral("SIM"));
    EXPECT_EQ(window.PortPage()->PortList()->currentText(), QStringLiteral("SIM"));
    ASSERT_TRUE(WaitForFirmwareStatus(FirmwareApplication));
    EXPECT_EQ(window.windowTitle(), TitleBaseText() + QStringLiteral(" - S/N 01234 on SIM at 38400 bit/s"));
}

TEST_F(PortPageTest, ClearingThePortNameClosesThePort)
{
    ConnectToSim();
    CMainFrame& window = *frame;
    window.Model().m_port.Set(QString());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.Model().IsPortOpen(); }, 5000));
    EXPECT_EQ(window.windowTitle(), TitleBaseText());
    EXPECT_FALSE(window.PortPage()->ClosePortButton()->isEnabled());
}

TEST_F(PortPageTest, TypedPortNameIsChosenWithEnter)
{
    CMainFrame& window = Start();
    QLineEdit* entry = window.PortPage()->PortList()->lineEdit();
    entry->setFocus();
    QTest::keyClicks(entry, QStringLiteral("/nonexistent/ttyQRO"));
    QTest::keyClick(entry, Qt::Key_Return);
    EXPECT_EQ(window.Model().m_port.m_value, QStringLiteral("/nonexistent/ttyQRO"));
    // The contact was started and could not open it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.Model().ContactMachine()->IsIdle(); }, 5000));
    EXPECT_EQ(window.windowTitle(), TitleBaseText() + QStringLiteral(" on /nonexistent/ttyQRO closed"));
    EXPECT_TRUE(window.StatusText().startsWith(QStringLiteral("Unable to open serial port \"/nonexistent/ttyQRO\"")))
        << qPrintable(window.StatusText());
    EXPECT_EQ(entry->text(), QStringLiteral("/nonexistent/ttyQRO"));
}

TEST(PortChoices, SortedWithoutRegardToCaseWithSimLast)
{
    auto port = [](const char* name) {
        CPortInfo info;
        info.name = QString::fromLatin1(name);
        return info;
    };
    const std::vector<CPortInfo> choices
        = CPortPage::PortChoices({port("COM2"), port("ttyUSB0"), port("COM10"), port("com3"), port("SIM"), port("")});
    QStringList names;
    for (const CPortInfo& info : choices)
        names << info.name;
    EXPECT_EQ(names, (QStringList {"COM10", "COM2", "com3", "ttyUSB0", "SIM"}));
    EXPECT_EQ(choices.back().description, QStringLiteral("built-in simulated amplifier"));
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
    static CPortInfo Port(const char* name, const char* description)
    {
        CPortInfo info;
        info.name = QString::fromLatin1(name);
        info.description = QString::fromLatin1(description);
        return info;
    }

    QTemporaryDir dir;
    CQtEventHost host;
    std::unique_ptr<CModel> model;
    CScriptedPrompt prompt;
    std::vector<CPortInfo> ports {Port("ttyUSB1", "FT232R USB UART")};
    std::unique_ptr<CPortPage> page;
};

TEST_F(PortPageListTest, DropDownShowsNewPortsAndKeepsTheSelection)
{
    MakePage();
    CPortComboBox* list = page->PortList();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->DescriptionAt(0), QStringLiteral("FT232R USB UART"));
    list->setCurrentIndex(0);
    ports.push_back(Port("ttyACM0", "QRO4000 USB"));
    list->showPopup();
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->itemText(0), QStringLiteral("ttyACM0"));
    EXPECT_EQ(list->DescriptionAt(0), QStringLiteral("QRO4000 USB"));
    EXPECT_EQ(list->currentText(), QStringLiteral("ttyUSB1"));
    EXPECT_EQ(list->currentIndex(), 1);
    list->hidePopup();
}

TEST_F(PortPageListTest, SavedPortStillPresentIsSelected)
{
    model->m_port.Set(QStringLiteral("ttyUSB1"));
    MakePage();
    EXPECT_EQ(page->PortList()->currentIndex(), 0);
    EXPECT_EQ(model->m_port.m_value, QStringLiteral("ttyUSB1"));
}

TEST_F(PortPageListTest, PortNameMatchesWholeNamesOnly)
{
    ports = {Port("COM10", ""), Port("COM2", "")};
    MakePage();
    page->ChoosePort(QStringLiteral("COM1"));
    EXPECT_EQ(page->PortList()->currentIndex(), -1);
    EXPECT_EQ(page->PortList()->currentText(), QStringLiteral("COM1"));
}

TEST_F(PortPageListTest, ShowingThePageDrawsButShowsNoBox)
{
    MakePage();
    page->OnPageHidden();
    EXPECT_FALSE(page->IsObserving());
    model->m_firmwareStatus.Set(FirmwareApplication);
    page->OnPageShown();
    EXPECT_TRUE(page->IsObserving());
    QCoreApplication::processEvents();
    EXPECT_TRUE(prompt.messages.empty());
    EXPECT_EQ(model->m_firmwareStatus.ObserverCount(), 1u);
    page->OnPageHidden();
    EXPECT_EQ(model->m_firmwareStatus.ObserverCount(), 0u);
}

TEST_F(PortPageListTest, ServerAddressesChosenAreOfferedNewestFirstAndKeptAtTheNextStart)
{
    MakePage();
    for (const char* name : {"rfc2217://a:1", "socket://b:2", "rfc2217://c:3", "rfc2217://d:4", "rfc2217://e:5",
             "rfc2217://f:6", "RFC2217://a:1", "ttyUSB1", "rfc2217://no-port"})
        page->ChoosePort(QString::fromLatin1(name));
    page->FillList();
    QStringList names;
    for (int i = 0; i < page->PortList()->count(); ++i)
        names << page->PortList()->itemText(i);
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
