// The Operate page in the main window, offscreen: peak hold, the relay fields, what stays
// disabled and why, and the page on the simulated amplifier in real time.
#include "operate/ui/OperatePage.h"
#include "MainFrameFixture.h"
#include "operate/OperateStateMachine.h"
#include "operate/ui/HistoryChart.h"
#include "operate/ui/MeterBar.h"
#include "operate/ui/RelaySpinBox.h"
#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {
struct FieldCase {
    const char* name;
    void (*set)(CModel& model);
    const char* field;
    const char* shown;
    friend void PrintTo(const FieldCase& c, std::ostream* os) { *os << c.name; }
};

// The texts themselves are OperateText's matter: here, that the page uses them, and that an
// implausible efficiency keeps the field as it was.
const FieldCase kFields[] = {
    {"BypassSwrAsSwr", [](CModel& m) { m.m_swrBypass.Set(999); }, "bypassSwr", "99.9"},
    {"EfficiencyOf100KeepsTheLastOne",
        [](CModel& m) {
            m.m_paVoltage.Set(50000);
            m.m_paCurrent.Set(40);
            m.m_powerForward.Set(1000);
            m.m_powerForward.Set(2000);
        },
        "efficiency", "50"},
    {"EfficiencyWithoutCurrentIsEmpty",
        [](CModel& m) {
            m.m_paVoltage.Set(50000);
            m.m_paCurrent.Set(40);
            m.m_powerForward.Set(1200);
            m.m_paCurrent.Set(0);
        },
        "efficiency", ""},
};
} // namespace

class OperatePageTest : public CMainFrameFixture {
protected:
    COperatePage* ShowPage()
    {
        if (!frame)
            Start();
        SelectPage(COperatePage::kTabIndex);
        return frame->findChild<COperatePage*>();
    }
    template <class W> W* Find(const char* name)
    {
        W* widget = frame->findChild<W*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    COperateStateMachine* Machine(COperatePage* page)
    {
        return static_cast<COperateStateMachine*>(page->Poller().Machine());
    }
};

class OperatePageFields : public OperatePageTest, public ::testing::WithParamInterface<FieldCase> { };

TEST_P(OperatePageFields, Shows)
{
    ShowPage();
    GetParam().set(frame->Model());
    EXPECT_EQ(Find<QLabel>(GetParam().field)->text().toStdString(), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Rows, OperatePageFields, ::testing::ValuesIn(kFields),
    [](const ::testing::TestParamInfo<FieldCase>& info) { return std::string(info.param.name); });

TEST_F(OperatePageTest, PeakHoldKeepsTheHighestForwardPowerUntilAZero)
{
    ShowPage();
    CModel& model = frame->Model();
    QCheckBox* hold = Find<QCheckBox>("peakHold");
    hold->click();
    QStringList shown;
    for (WORD power : {500, 300, 0, 200}) {
        model.m_powerForward.Set(power);
        shown << Find<QLabel>("forward")->text();
    }
    EXPECT_EQ(shown, (QStringList {"500", "500", "0", "200"}));
    EXPECT_EQ(Find<CMeterBar>("forwardBar")->Value(), 200);
}

TEST_F(OperatePageTest, TypedCapacitanceAsksForTheRelaysNearestBelow)
{
    COperatePage* page = ShowPage();
    frame->Model().m_advancedMode.Set(1);
    frame->Model().m_firmwareStatus.Change(FirmwareApplication);
    ASSERT_NE(Machine(page), nullptr);
    auto* capacitance = Find<CRelaySpinBox>("capacitance");
    EXPECT_TRUE(capacitance->isVisible());
    capacitance->setFocus();
    capacitance->selectAll();
    QTest::keyClicks(capacitance, "2000");
    // While the field has the focus, readings from the amplifier do not overwrite it.
    frame->Model().m_capacitors.Set(0x01);
    EXPECT_EQ(capacitance->text(), "2000");
    Find<QCheckBox>("peakHold")->setFocus();
    // 1360 + 330 + 180 + 82 + 39 + 8 pF: bits 7, 5, 4, 3, 2 and 0.
    EXPECT_EQ(Machine(page)->m_capacitorRequest.m_flag, 1u);
    EXPECT_EQ(Machine(page)->m_capacitorRequest.m_relays, 0xBD);
}

TEST_F(OperatePageTest, WhatThisVersionCannotDoIsDisabledAndSaysWhy)
{
    ShowPage();
    frame->Model().m_advancedMode.Set(1);
    frame->Model().m_firmwareStatus.Change(FirmwareApplication);
    QRadioButton* band28 = Find<QRadioButton>("band9");
    EXPECT_FALSE(band28->isEnabled());
    EXPECT_TRUE(band28->toolTip().contains("28 MHz"));
    QPushButton* store = Find<QPushButton>("atuStore");
    EXPECT_FALSE(store->isEnabled());
    EXPECT_TRUE(store->toolTip().startsWith("Save current ATU settings\n"));
    EXPECT_TRUE(store->toolTip().contains("not support"));
    EXPECT_FALSE(Find<QCheckBox>("capsOnTxSide")->isEnabled());
}

TEST_F(OperatePageTest, ControlsFollowTheFirmwareStatusButTheFieldBeingTypedInKeepsItsFocus)
{
    ShowPage();
    CModel& model = frame->Model();
    model.m_firmwareStatus.Change(FirmwareApplication);
    auto* inductance = Find<CRelaySpinBox>("inductance");
    model.m_advancedMode.Set(1);
    inductance->setFocus();
    ASSERT_TRUE(inductance->hasFocus());
    model.m_firmwareStatus.Change(FirmwareNone);
    EXPECT_FALSE(Find<QPushButton>("menu")->isEnabled());
    EXPECT_FALSE(Find<QRadioButton>("band5")->isEnabled());
    EXPECT_TRUE(inductance->isEnabled());
    EXPECT_TRUE(inductance->hasFocus());
    model.m_firmwareStatus.Change(FirmwareApplication);
    EXPECT_TRUE(Find<QPushButton>("menu")->isEnabled());
}

TEST_F(OperatePageTest, OnTheSimulatedAmplifierMetersMoveAndABandKeyTakesEffect)
{
    ConnectToSim();
    COperatePage* page = ShowPage();
    CModel& model = frame->Model();
    // The simulated operator transmits from the start: the forward power is the last of these.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QLabel>("forward")->text().toInt() > 500; }, 5000));
    EXPECT_FALSE(Find<QPlainTextEdit>("display")->toPlainText().isEmpty());
    QTest::mouseClick(Find<QRadioButton>("band3"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QLabel>("frequency")->text() == "7100"; }, 5000));
    EXPECT_EQ(model.m_band.m_value, 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->History()->PointCount() >= 1; }, 5000));
}

TEST_F(OperatePageTest, PollingStartsByItselfWhenThePageIsShownDuringTheContact)
{
    GuiTest::WriteSetting(QStringLiteral("ActivePage"), COperatePage::kTabIndex);
    Start(QStringLiteral("SIM"));
    EXPECT_EQ(frame->TabView()->CurrentPageIndex(), COperatePage::kTabIndex);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !Find<QPlainTextEdit>("display")->toPlainText().isEmpty(); }, kContactLimitMs));
    EXPECT_EQ(frame->Model().m_firmwareStatus.m_value, FirmwareApplication);
}
