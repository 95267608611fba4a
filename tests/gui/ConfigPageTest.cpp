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
::testing::AssertionResult Says(const QPushButton* button, const char* why)
{
    if (why ? !button->isEnabled() && button->toolTip().contains(QLatin1String(why)) : button->isEnabled())
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << qPrintable(button->objectName())
                                         << (button->isEnabled() ? " enabled, " : " disabled, ")
                                         << qPrintable(button->toolTip());
}
} // namespace

class ButtonsSayWhyNot : public CMainFrameFixture { };

TEST_F(ButtonsSayWhyNot, WithoutAndWithTheAmplifier)
{
    for (const bool found : {false, true}) {
        const char* why = found ? nullptr : "No amplifier in contact";
        CMainFrame& window = Start(found ? QStringLiteral("SIM") : QString());
        ASSERT_TRUE(!found || WaitForFirmwareStatus(FirmwareApplication));
        SelectPage(CConfigPage::kTabIndex);
        auto* config = frame->findChild<CConfigPage*>();
        for (QPushButton* button : {config->EditButton(), config->SaveButton(), config->RestoreButton(),
                 config->FaultTableButton(), config->EraseMemoryButton(), config->ResetButton(),
                 config->DateTimeButton()})
            EXPECT_TRUE(Says(button, why)) << found;

        // With a file to send, only the link decides.
        const QDir folder(frame->Model().m_firmwareFolder.m_value);
        ASSERT_TRUE(folder.mkpath(".")
            && WriteWholeFile(folder.filePath("qro4000fw0154.hex"), SimFirmwareImage::MakeHexImage(154)));
        SelectPage(CTabView::FirmwarePage);
        auto* firmware = frame->findChild<CFirmwarePage*>();
        EXPECT_TRUE(Says(firmware->CheckButton(), why));
        EXPECT_EQ(firmware->SendButton()->isEnabled(), found);
        EXPECT_TRUE(firmware->DefaultButton()->isEnabled() && firmware->BrowseButton()->isEnabled());

        SelectPage(CTabView::CommandTesterPage);
        CCommandTesterPage* tester = window.CommandTesterPage();
        EXPECT_EQ(tester->Entry()->isEnabled(), found);
        EXPECT_EQ(tester->WhyDisabled()->isVisible(), !found);
        EXPECT_TRUE(found || tester->WhyDisabled()->text().startsWith("Greyed out: No amplifier in contact"))
            << qPrintable(tester->WhyDisabled()->text());
        CloseFrame();
    }
}
