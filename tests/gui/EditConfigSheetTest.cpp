// The settings sheet with its real widgets on the main window's simulated amplifier, in real
// time: it reads when it opens, writes what changed, keeps out what could not be sent, and
// asks before unapplied edits are lost.
#include "settings/ui/EditConfigSheet.h"
#include "MainFrameFixture.h"
#include "settings/SettingsModel.h"
#include "settings/ui/SettingEditor.h"
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <algorithm>

class EditConfigSheetTest : public CMainFrameFixture {
protected:
    std::unique_ptr<CEditConfigSheet> Open()
    {
        ConnectToSim();
        auto sheet = std::make_unique<CEditConfigSheet>(&frame->Model(), &prompt, frame.get());
        sheet->show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return sheet->OkButton()->isEnabled(); }, 10000));
        return sheet;
    }
    static QLineEdit* Line(CEditConfigSheet& sheet, SettingId id)
    {
        return qobject_cast<QLineEdit*>(sheet.Editor(id)->Control());
    }
    static void Retype(CEditConfigSheet& sheet, SettingId id, const QString& text)
    {
        QLineEdit* line = Line(sheet, id);
        line->setFocus();
        line->selectAll();
        QTest::keyClick(line, Qt::Key_Delete);
        QTest::keyClicks(line, text);
    }
    int ErrorBoxes() const
    {
        return static_cast<int>(std::count_if(prompt.messages.begin(), prompt.messages.end(),
            [](const auto& m) { return m.caption == "Edit Configuration Error"; }));
    }
    static bool WaitIdle(CEditConfigSheet& sheet)
    {
        return QTest::qWaitFor([&] { return !sheet.IsBusy(); }, 10000);
    }
};

TEST_F(EditConfigSheetTest, ReadsOnOpeningAndAppliesTheBannerAlone)
{
    auto sheet = Open();
    EXPECT_EQ(Line(*sheet, SettingId::Banner)->text(), "QRO4000");
    EXPECT_FALSE(sheet->ApplyButton()->isEnabled());

    sheet->Tabs()->setCurrentIndex(3);
    Retype(*sheet, SettingId::Banner, QStringLiteral("HELLO"));
    ASSERT_TRUE(sheet->ApplyButton()->isEnabled());
    QTest::mouseClick(sheet->ApplyButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitIdle(*sheet));
    EXPECT_EQ(sheet->StatusLabel()->text(), "The changed settings were written.");
    EXPECT_FALSE(sheet->ApplyButton()->isEnabled());

    sheet->ReadAgain();
    ASSERT_TRUE(WaitIdle(*sheet));
    EXPECT_EQ(Line(*sheet, SettingId::Banner)->text(), "HELLO");
    EXPECT_EQ(ErrorBoxes(), 0);
}

TEST_F(EditConfigSheetTest, RefusesAtTheControlWhatCouldNotBeSent)
{
    auto sheet = Open();
    sheet->Tabs()->setCurrentIndex(3);
    Retype(*sheet, SettingId::Banner, QStringLiteral("AB;"));
    EXPECT_EQ(Line(*sheet, SettingId::Banner)->text(), "AB");
    QLabel* message = sheet->Editor(SettingId::Banner)->Message();
    EXPECT_TRUE(message->isVisible());
    EXPECT_TRUE(message->text().contains("cannot be used")) << message->text().toStdString();
    QTest::keyClicks(Line(*sheet, SettingId::Banner), QStringLiteral("^C"));
    EXPECT_EQ(Line(*sheet, SettingId::Banner)->text(), "ABC");

    // A spin box out of range says its range until it holds a value it can take.
    sheet->Tabs()->setCurrentIndex(1);
    CSettingEditor* swr = sheet->Editor(SettingId::SwrBypass);
    auto* spin = qobject_cast<QAbstractSpinBox*>(swr->Control());
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("0.5"));
    EXPECT_TRUE(swr->Message()->text().contains("from 1.0 to 99.9")) << qPrintable(swr->Message()->text());
    spin->selectAll();
    QTest::keyClicks(spin, QStringLiteral("2.5"));
    EXPECT_TRUE(swr->Message()->isHidden());
    EXPECT_EQ(SettingsModel::Pending(frame->Model(), SettingId::SwrBypass).bands[0], 25u);

    // An unfinished address is let through while typed and refused on Apply, beside its field.
    sheet->Tabs()->setCurrentIndex(7);
    qobject_cast<QCheckBox*>(sheet->Editor(SettingId::NetDhcp)->Control())->click();
    Retype(*sheet, SettingId::NetIp, QStringLiteral("10.0.0"));
    sheet->Tabs()->setCurrentIndex(0);
    EXPECT_FALSE(sheet->Apply());
    EXPECT_EQ(sheet->Tabs()->tabText(sheet->Tabs()->currentIndex()), "Network");
    EXPECT_TRUE(sheet->Editor(SettingId::NetIp)->Message()->text().contains("ot an IPv4 address"));
    EXPECT_TRUE(sheet->StatusLabel()->text().startsWith("Check \"IP address\": not an IPv4 address"));
    EXPECT_FALSE(sheet->IsBusy());
    // Corrected, the field and the status line say nothing more.
    QTest::keyClicks(Line(*sheet, SettingId::NetIp), QStringLiteral(".1"));
    EXPECT_TRUE(sheet->Editor(SettingId::NetIp)->Message()->isHidden());
    EXPECT_EQ(sheet->StatusLabel()->text(), "");
}

// An edit is marked until it matches the amplifier again; the MAC address looks as fixed as it is.
TEST_F(EditConfigSheetTest, MarksEditsAndFixedFields)
{
    auto sheet = Open();
    QWidget* pf1 = sheet->Editor(SettingId::Pf1)->Control();
    const QString held = Line(*sheet, SettingId::Pf1)->text();
    sheet->Tabs()->setCurrentIndex(8);
    Retype(*sheet, SettingId::Pf1, QStringLiteral("MEM"));
    EXPECT_TRUE(pf1->property("changed").toBool());
    EXPECT_EQ(pf1->toolTip(), "Changed here, not yet applied: the amplifier holds \"" + held + "\".");
    EXPECT_TRUE(sheet->findChild<QLabel*>("changedLegend")->isVisibleTo(sheet.get()));
    Retype(*sheet, SettingId::Pf1, held);
    EXPECT_FALSE(pf1->property("changed").toBool());
    EXPECT_FALSE(sheet->findChild<QLabel*>("changedLegend")->isVisibleTo(sheet.get()));

    for (const SettingId id : {SettingId::NetMac, SettingId::Banner}) {
        const QLineEdit* line = Line(*sheet, id);
        EXPECT_EQ(line->palette().color(QPalette::Base) == line->palette().color(QPalette::Window), line->isReadOnly());
        EXPECT_EQ(line->hasFrame(), !line->isReadOnly());
    }
    EXPECT_TRUE(Line(*sheet, SettingId::NetMac)->isReadOnly());
}

TEST_F(EditConfigSheetTest, ClosingWithUnappliedEditsAsksAndNoForgetsThem)
{
    auto sheet = Open();
    Retype(*sheet, SettingId::Pf1, QStringLiteral("MEM"));
    prompt.answers = {false};
    QTest::mouseClick(sheet->CancelButton(), Qt::LeftButton);
    ASSERT_EQ(prompt.questions.size(), 1u);
    EXPECT_EQ(prompt.questions[0].text, "Changes have not been applied\r\n\r\nDo you want to save the changes?");
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_FALSE(frame->Model().HasUnsavedChanges());
}

TEST_F(EditConfigSheetTest, YesWritesAndAFailedWriteKeepsTheEdits)
{
    auto sheet = Open();
    Retype(*sheet, SettingId::Pf2, QStringLiteral("BAND"));
    // The amplifier goes away before the write.
    frame->Model().ClosePort();
    prompt.answers = {true};
    QTest::mouseClick(sheet->CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitIdle(*sheet));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(ErrorBoxes(), 1);
    EXPECT_EQ(frame->Model().m_pfKey2.m_pending, "BAND");
    EXPECT_EQ(Line(*sheet, SettingId::Pf2)->text(), "BAND");
    EXPECT_TRUE(sheet->ApplyButton()->isEnabled());
}
