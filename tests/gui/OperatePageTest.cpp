// The Operate page in the main window, offscreen: readings and their formats, peak hold, the
// relay fields, what stays disabled and why, and the page on the simulated amplifier in real
// time.
#include "operate/ui/OperatePage.h"
#include "MainFrameFixture.h"
#include "operate/OperateStateMachine.h"
#include "operate/ui/HistoryChart.h"
#include "operate/ui/MeterBar.h"
#include "operate/ui/RelaySpinBox.h"
#include "sim/SimOperate.h"
#include <QCheckBox>
#include <QLabel>
#include <QLineSeries>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {
struct FieldCase {
    const char* name;
    void (*set)(CModel& model);
    const char* field;
    const char* shown;
};

std::ostream& operator<<(std::ostream& out, const FieldCase& c)
{
    return out << c.name;
}

const FieldCase kFields[] = {
    {"SwrOf9IsEmpty", [](CModel& m) { m.m_swr.Set(9); }, "swr", ""},
    {"SwrOf15", [](CModel& m) { m.m_swr.Set(15); }, "swr", "1.5"},
    {"SwrOf1000IsEmpty", [](CModel& m) { m.m_swr.Set(1000); }, "swr", ""},
    {"BypassSwrAsSwr", [](CModel& m) { m.m_swrBypass.Set(999); }, "bypassSwr", "99.9"},
    {"VoltageRoundsUp", [](CModel& m) { m.m_paVoltage.Set(48950); }, "paVoltage", "49.0"},
    {"VoltageRoundsDown", [](CModel& m) { m.m_paVoltage.Set(48940); }, "paVoltage", "48.9"},
    {"FrequencyOf0IsEmpty", [](CModel& m) { m.m_frequency.Set(0); }, "frequency", ""},
    {"Frequency", [](CModel& m) { m.m_frequency.Set(14200); }, "frequency", "14200"},
    {"EfficiencyOfDcInput",
        [](CModel& m) {
            m.m_paVoltage.Set(50000);
            m.m_paCurrent.Set(40);
            m.m_powerForward.Set(1200);
        },
        "efficiency", "60"},
    {"EfficiencyWithoutCurrentIsEmpty",
        [](CModel& m) {
            m.m_paVoltage.Set(50000);
            m.m_paCurrent.Set(40);
            m.m_powerForward.Set(1200);
            m.m_paCurrent.Set(0);
        },
        "efficiency", ""},
    {"EfficiencyOf100KeepsTheLastOne",
        [](CModel& m) {
            m.m_paVoltage.Set(50000);
            m.m_paCurrent.Set(40);
            m.m_powerForward.Set(1000);
            m.m_powerForward.Set(2000);
        },
        "efficiency", "50"},
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
    EXPECT_EQ(model.m_peakHoldVarn.m_value, 1u);
    QStringList shown;
    for (WORD power : {500, 300, 0, 200}) {
        model.m_powerForward.Set(power);
        shown << Find<QLabel>("forward")->text();
    }
    EXPECT_EQ(shown, (QStringList {"500", "500", "0", "200"}));
    EXPECT_EQ(Find<CMeterBar>("forwardBar")->Value(), 200);
    hold->click();
    model.m_powerForward.Set(100);
    EXPECT_EQ(Find<QLabel>("forward")->text(), "100");
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

TEST_F(OperatePageTest, SpinStepsToTheNextValueTheRelaysMake)
{
    ShowPage();
    auto* capacitance = Find<CRelaySpinBox>("capacitance");
    auto* inductance = Find<CRelaySpinBox>("inductance");
    capacitance->stepBy(1);
    EXPECT_EQ(capacitance->value(), 8);
    capacitance->stepBy(1);
    EXPECT_EQ(capacitance->value(), 22);
    capacitance->stepBy(-2);
    EXPECT_EQ(capacitance->value(), 0);
    capacitance->setValue(2000);
    capacitance->stepBy(-1);
    EXPECT_EQ(capacitance->value(), 1999);
    inductance->setValue(8370);
    inductance->stepBy(1);
    EXPECT_EQ(inductance->value(), 8370);
}

TEST_F(OperatePageTest, WhatThisVersionCannotDoIsDisabledAndSaysWhy)
{
    ShowPage();
    frame->Model().m_advancedMode.Set(1);
    frame->Model().m_firmwareStatus.Change(FirmwareApplication);
    QRadioButton* band28 = Find<QRadioButton>("band9");
    EXPECT_FALSE(band28->isEnabled());
    EXPECT_TRUE(band28->toolTip().contains("28 MHz"));
    EXPECT_TRUE(Find<QRadioButton>("band8")->isEnabled());
    QPushButton* store = Find<QPushButton>("atuStore");
    EXPECT_FALSE(store->isEnabled());
    EXPECT_TRUE(store->toolTip().startsWith("Save current ATU settings\n"));
    EXPECT_TRUE(store->toolTip().contains("not support"));
    EXPECT_EQ(Find<QPushButton>("atuTune")->toolTip(), "Start a search ATU tune");
    QCheckBox* side = Find<QCheckBox>("capsOnTxSide");
    EXPECT_FALSE(side->isEnabled());
    frame->Model().m_capacitorSide.Set(L'T');
    EXPECT_TRUE(side->isChecked());
    Screenshot(QStringLiteral("operate-offline"));
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

TEST_F(OperatePageTest, UnchangedReadingsRepaintNothing)
{
    ShowPage();
    CModel& model = frame->Model();
    model.m_temperature.Set(45);
    auto* bar = Find<CMeterBar>("temperatureBar");
    const int updates = bar->UpdateCount();
    for (int i = 0; i < 10; ++i)
        model.m_temperature.Set(45);
    EXPECT_EQ(bar->UpdateCount(), updates);
    model.m_temperature.Set(70);
    EXPECT_EQ(bar->UpdateCount(), updates + 1);
}

TEST_F(OperatePageTest, OnTheSimulatedAmplifierMetersMoveAndABandKeyTakesEffect)
{
    ConnectToSim();
    COperatePage* page = ShowPage();
    CModel& model = frame->Model();
    // The simulated operator transmits from the start: the forward power is the last of these.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QLabel>("forward")->text().toInt() > 500; }, 5000));
    EXPECT_FALSE(Find<QPlainTextEdit>("display")->toPlainText().isEmpty());
    EXPECT_EQ(Find<QLabel>("frequency")->text(), "14200");
    EXPECT_TRUE(Find<QRadioButton>("band5")->isChecked());
    EXPECT_TRUE(Find<QPushButton>("menu")->isEnabled());
    QTest::mouseClick(Find<QRadioButton>("band3"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QLabel>("frequency")->text() == "7100"; }, 5000));
    EXPECT_EQ(model.m_band.m_value, 3);
    EXPECT_TRUE(Find<QRadioButton>("band3")->isChecked());
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->History()->PointCount() >= 1; }, 5000));
    Screenshot(QStringLiteral("operate"));
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
