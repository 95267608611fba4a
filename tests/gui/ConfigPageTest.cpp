// The Configuration page in the main window on the simulated amplifier, in real time: save the
// amplifier's configuration, restore it, and see a tampered file refused.
#include "MainFrameFixture.h"
#include "config/ui/ConfigPage.h"
#include "config/ui/ConfigRestoreDlg.h"
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {
QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
}  // namespace

class ConfigPageTest : public CMainFrameFixture {
protected:
    CConfigPage* Page()
    {
        SelectPage(CConfigPage::kTabIndex);
        return frame->findChild<CConfigPage*>();
    }
};

TEST_F(ConfigPageTest, ButtonsAndHelpTopic)
{
    Start();
    CConfigPage* page = Page();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(frame->TabView()->Page(CTabView::ConfigurationPage), page);
    EXPECT_EQ(CConfigPage::kTabIndex, CTabView::ConfigurationPage);
    EXPECT_EQ(frame->TabView()->CurrentPageIndex(), CConfigPage::kTabIndex);
    EXPECT_EQ(page->SaveButton()->text(), "Save Configuration...");
    EXPECT_EQ(page->RestoreButton()->text(), "Restore Configuration...");
    EXPECT_EQ(page->HelpTopic(), "Configuration.htm");
    Screenshot(QStringLiteral("configuration"));
}

TEST_F(ConfigPageTest, SaveRestoreAndATamperedFile)
{
    ConnectToSim();
    CConfigPage* page = Page();
    ASSERT_NE(page, nullptr);
    QTemporaryDir dir;
    const QString path = dir.filePath("amp.QRO4000Config");
    QString chosen = path;
    QString offered;
    page->SetFileChoosers(
        [&](QWidget*, const QString& o, const QString&) {
            offered = o;
            return chosen;
        },
        [&](QWidget*, const QString& o, const QString&) {
            offered = o;
            return chosen;
        });

    EXPECT_EQ(page->OpenSaveDialog(), 1);
    EXPECT_TRUE(offered.endsWith(".QRO4000Config"));
    EXPECT_TRUE(QFileInfo(offered).fileName().startsWith("SN01234."));
    const QByteArray saved = ReadAll(path);
    ASSERT_FALSE(saved.isEmpty());
    EXPECT_EQ(frame->Model().m_configurationFolder.m_value, QDir::toNativeSeparators(dir.path()));

    // The restore dialog keeps its outcome in view: the user closes it.
    QTimer closer;
    closer.callOnTimeout([] {
        auto* dialog = qobject_cast<CConfigRestoreDlg*>(QApplication::activeModalWidget());
        if (dialog && dialog->CancelButton()->text() == "Close")
            dialog->CancelButton()->click();
    });
    closer.start(50);
    EXPECT_EQ(page->OpenRestoreDialog(), 1);
    EXPECT_EQ(offered, QDir::toNativeSeparators(dir.path()));
    EXPECT_TRUE(prompt.messages.empty() || prompt.messages.back().caption != "Restore Configuration Error");

    QByteArray tampered = saved;
    tampered[tampered.indexOf("MEM4 00002000 40 ") + 17] ^= 1;
    const QString bad = dir.filePath("bad.QRO4000Config");
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(tampered);
    file.close();
    chosen = bad;
    const std::size_t before = prompt.messages.size();
    EXPECT_EQ(page->OpenRestoreDialog(), 3);
    ASSERT_EQ(prompt.messages.size(), before + 1);
    EXPECT_EQ(prompt.messages.back().caption, "Restore Configuration Error");
    EXPECT_TRUE(prompt.messages.back().text.startsWith("The configuration file has been altered"));
}
