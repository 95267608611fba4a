// The Operate page in the main window, offscreen: live and old readings, the relay fields, what
// stays disabled and why, and the page on the simulated amplifier in real time.
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
#include <limits>

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

// The texts and scales are OperateText's and the derived readings'; here, that the page shows
// them, and nothing as live once the boot loader waits.
TEST_F(OperatePageTest, ReadingsShowWhetherTheyAreLiveAndTheFaultsName)
{
    ShowPage();
    CModel& m = frame->Model();
    m.m_firmwareStatus.Change(FirmwareApplication);
    m.m_advancedMode.Set(1);
    m.m_band.Set(CModel::Band(5));
    m.m_faultCode.Set(0x91);
    m.m_operateStandby.Set(1);
    m.m_swrBypass.Set(999);
    m.m_powerForward.Set(2000);
    m.m_displayText.Set(QStringLiteral("OPER 14.200 ANT1"));
    const QString notLive = QString(QChar(0x2013));
    EXPECT_EQ(Find<QLabel>("forward")->text(), "2000");
    EXPECT_EQ(Find<QLabel>("bypassSwr")->text(), "99.9");
    EXPECT_TRUE(Find<QCheckBox>("fault")->isChecked());
    EXPECT_EQ(Find<QLabel>("faultName")->text(), "HIGH SWR");
    EXPECT_TRUE(Find<QRadioButton>("oper")->isChecked());

    m.m_firmwareStatus.Change(FirmwareBootLoader);
    for (const char* name : {"forward", "bypassSwr", "swr", "temperature", "frequency"})
        EXPECT_EQ(Find<QLabel>(name)->text(), notLive) << name;
    EXPECT_FALSE(Find<CMeterBar>("forwardBar")->IsLive());
    for (const char* name : {"fault", "oper", "stby", "ant1", "atuIn"}) {
        EXPECT_FALSE(Find<QAbstractButton>(name)->isChecked()) << name;
        EXPECT_FALSE(Find<QAbstractButton>(name)->isEnabled()) << name;
    }
    EXPECT_TRUE(Find<QLabel>("faultName")->text().isEmpty());
}

TEST_F(OperatePageTest, HistoryBreaksItsLinesWhereThereIsNoData)
{
    CHistoryChart chart;
    const double none = std::numeric_limits<double>::quiet_NaN();
    chart.AddReading(0, 100, 1.5, 30);
    chart.AddReading(2000, 100, none, 30); // no SWR reading: that line breaks
    chart.AddReading(4000, 100, 1.5, 30);
    chart.Break(); // a disconnection
    chart.AddReading(60000, 100, 1.5, 30);
    chart.AddReading(62000, 100, 1.5, 30);
    EXPECT_EQ(chart.ForwardSeries().size(), 2u);
    EXPECT_EQ(chart.SwrSeries().size(), 3u);
    EXPECT_EQ(chart.PointCount(), 4);
}

// What this version cannot do is disabled and says why; without the amplifier the controls go,
// but not the field being typed in; a typed capacitance asks for the relays nearest below.
TEST_F(OperatePageTest, AdvancedControls)
{
    COperatePage* page = ShowPage();
    CModel& model = frame->Model();
    model.m_advancedMode.Set(1);
    model.m_firmwareStatus.Change(FirmwareApplication);
    QRadioButton* band28 = Find<QRadioButton>("band9");
    EXPECT_FALSE(band28->isEnabled());
    EXPECT_TRUE(band28->toolTip().contains("28 MHz"));
    QPushButton* store = Find<QPushButton>("atuStore");
    EXPECT_FALSE(store->isEnabled());
    EXPECT_TRUE(store->toolTip().startsWith("Save current ATU settings\n"));
    EXPECT_TRUE(store->toolTip().contains("not support"));
    EXPECT_FALSE(Find<QCheckBox>("capsOnTxSide")->isEnabled());

    auto* inductance = Find<CRelaySpinBox>("inductance");
    inductance->setFocus();
    ASSERT_TRUE(inductance->hasFocus());
    model.m_firmwareStatus.Change(FirmwareNone);
    EXPECT_FALSE(Find<QPushButton>("menu")->isEnabled());
    EXPECT_FALSE(Find<QRadioButton>("band5")->isEnabled());
    EXPECT_TRUE(inductance->isEnabled());
    EXPECT_TRUE(inductance->hasFocus());
    model.m_firmwareStatus.Change(FirmwareApplication);
    EXPECT_TRUE(Find<QPushButton>("menu")->isEnabled());

    ASSERT_NE(Machine(page), nullptr);
    auto* capacitance = Find<CRelaySpinBox>("capacitance");
    EXPECT_TRUE(capacitance->isVisible());
    capacitance->setFocus();
    capacitance->selectAll();
    QTest::keyClicks(capacitance, "2000");
    // While the field has the focus, readings from the amplifier do not overwrite it.
    model.m_capacitors.Set(0x01);
    EXPECT_EQ(capacitance->text(), "2000");
    Find<QCheckBox>("peakHold")->setFocus();
    // 1360 + 330 + 180 + 82 + 39 + 8 pF: bits 7, 5, 4, 3, 2 and 0.
    EXPECT_EQ(Machine(page)->m_capacitorRequest.m_flag, 1u);
    EXPECT_EQ(Machine(page)->m_capacitorRequest.m_relays, 0xBD);
}

TEST_F(OperatePageTest, OnTheSimulatedAmplifierMetersMoveAndABandKeyTakesEffect)
{
    ConnectToSim();
    COperatePage* page = ShowPage();
    CModel& model = frame->Model();
    // The simulated operator transmits from the start: the forward power is the last of these.
    ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QLabel>("forward")->text().toInt() > 500; }, 5000));
    EXPECT_FALSE(Find<QPlainTextEdit>("display")->toPlainText().isEmpty());
    // The summary of the page's own cycles holds the last one shown.
    const int forward = Find<QLabel>("forward")->text().toInt();
    QTest::mouseClick(Find<QPushButton>("sessionSummary"), Qt::LeftButton);
    ASSERT_FALSE(prompt.messages.empty());
    const QString summary = prompt.messages.back().text;
    EXPECT_GE(summary.section(QStringLiteral("Peak forward power: "), 1).section(' ', 0, 0).toInt(), forward)
        << summary.toStdString();
    QTest::mouseClick(Find<QRadioButton>("band3"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QLabel>("frequency")->text() == "7100"; }, 5000));
    EXPECT_EQ(model.m_band.m_value, 3);
    ASSERT_TRUE(QTest::qWaitFor([&] { return page->History()->PointCount() >= 1; }, 5000));
    // Switched off, the amplifier's last figures are not shown as live.
    Find<QCheckBox>("powerOn")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Find<QLabel>("forward")->text() == QString(QChar(0x2013)); }, 5000));
    EXPECT_FALSE(Find<QRadioButton>("oper")->isChecked());
    EXPECT_FALSE(Find<CMeterBar>("forwardBar")->IsLive());
}
