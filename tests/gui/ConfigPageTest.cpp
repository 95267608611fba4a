// Buttons that need the amplifier, on every page, as the simulated amplifier is found or is not
// there: greyed out with the reason in their tooltip, enabled when they can work; the firmware
// folder's buttons always usable. Every state's reasons are the Availability table's.
#include "app/ConfigPage.h"
#include "MainFrameFixture.h"
#include "TestFiles.h"
#include "app/CommandTesterPage.h"
#include "firmware/ui/FirmwarePage.h"
#include "sim/SimFirmwareImage.h"
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
struct GateRow {
    const char* name;
    const char* sim; // added to the simulated amplifier's options
    const char* port;
    int status; // waited for
    const char* configWhy; // nullptr: enabled
    const char* checkWhy;
    bool sendEnabled;
    friend void PrintTo(const GateRow& row, std::ostream* os) { *os << row.name; }
};

const GateRow kGateRows[] = {
    {"NoAmplifier", "", "", 0, "No amplifier in contact: choose its port", "No amplifier in contact", false},
    {"Application", "", "SIM", FirmwareApplication, nullptr, nullptr, true},
};

::testing::AssertionResult Says(const QPushButton* button, const char* why)
{
    if (why ? !button->isEnabled() && button->toolTip().contains(QLatin1String(why)) : button->isEnabled())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << qPrintable(button->objectName())
                                         << (button->isEnabled() ? " enabled, " : " disabled, ")
                                         << qPrintable(button->toolTip());
}
} // namespace

class ButtonsSayWhyNot : public CMainFrameFixture, public ::testing::WithParamInterface<GateRow> { };

TEST_P(ButtonsSayWhyNot, WhenTheyCannotWork)
{
    const GateRow& row = GetParam();
    qputenv("QRO4000_SIM", QByteArray("baud=38400,pace=0") + row.sim);
    CMainFrame& window = Start(QString::fromLatin1(row.port));
    const QString state = row.status == 0 ? "No port" : "";
    ASSERT_TRUE(row.status == 0 || WaitForFirmwareStatus(row.status));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.ConnectionItem()->text().startsWith(state); }, 5000));

    SelectPage(CConfigPage::kTabIndex);
    auto* config = frame->findChild<CConfigPage*>();
    for (QPushButton* button : {config->EditButton(), config->SaveButton(), config->RestoreButton(),
             config->FaultTableButton(), config->EraseMemoryButton(), config->ResetButton(), config->DateTimeButton()})
        EXPECT_TRUE(Says(button, row.configWhy));

    // With a file to send, only the link decides.
    const QDir folder(frame->Model().m_firmwareFolder.m_value);
    ASSERT_TRUE(folder.mkpath(".")
        && WriteWholeFile(folder.filePath("qro4000fw0154.hex"), SimFirmwareImage::MakeHexImage(154)));
    SelectPage(CTabView::FirmwarePage);
    auto* firmware = frame->findChild<CFirmwarePage*>();
    EXPECT_TRUE(Says(firmware->CheckButton(), row.checkWhy));
    EXPECT_EQ(firmware->SendButton()->isEnabled(), row.sendEnabled);
    EXPECT_TRUE(firmware->DefaultButton()->isEnabled() && firmware->BrowseButton()->isEnabled());

    SelectPage(CTabView::CommandTesterPage);
    CCommandTesterPage* tester = window.CommandTesterPage();
    const bool testerEnabled = row.status > 0;
    EXPECT_EQ(tester->Entry()->isEnabled(), testerEnabled);
    EXPECT_EQ(tester->WhyDisabled()->isVisible(), !testerEnabled);
    EXPECT_TRUE(
        testerEnabled || tester->WhyDisabled()->text().startsWith("Greyed out: " + QString::fromLatin1(row.checkWhy)))
        << qPrintable(tester->WhyDisabled()->text());
}

INSTANTIATE_TEST_SUITE_P(
    Link, ButtonsSayWhyNot, ::testing::ValuesIn(kGateRows), [](const auto& info) { return info.param.name; });
