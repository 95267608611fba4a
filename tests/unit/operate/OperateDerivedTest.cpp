// The derived readings every front end shows: peak hold, efficiency, whether a reading is live,
// and the SWR scale's marks.
#include "operate/OperateDerived.h"
#include "SimHarness.h"
#include <gtest/gtest.h>

namespace {
class OperateDerivedTest : public ::testing::Test {
protected:
    void SetUp() override { Model().m_firmwareStatus.Change(FirmwareApplication); }
    CModel& Model() { return *harness.model; }
    CSimHarness harness;
};
} // namespace

TEST_F(OperateDerivedTest, PeakHoldKeepsTheHighestForwardPowerUntilAZero)
{
    CModel& m = Model();
    m.m_peakHoldVarn.Set(1);
    QList<int> shown;
    for (WORD power : {500, 300, 0, 200}) {
        m.m_powerForward.Set(power);
        OperateDerived::UpdatePeaks(m);
        shown << *OperateDerived::ShownForward(m);
    }
    EXPECT_EQ(shown, (QList<int> {500, 500, 0, 200}));
    // A cycle that did not read the power leaves the peak, and shows nothing.
    m.MarkReadingsStale();
    OperateDerived::UpdatePeaks(m);
    EXPECT_FALSE(OperateDerived::ShownForward(m).has_value());
    m.m_firmwareStatus.Change(FirmwareBootLoader);
    m.m_powerForward.Set(700);
    EXPECT_FALSE(OperateDerived::ShownForward(m).has_value());
}

TEST_F(OperateDerivedTest, EfficiencyIsNotAvailableWhenImplausibleOrNotCurrent)
{
    struct Row {
        WORD forward;
        WORD amperes;
        DWORD millivolts;
        bool voltageCurrent;
        int expected;
    };
    const Row rows[] = {{1000, 40, 50000, true, 50}, {2000, 40, 50000, true, OperateDerived::kNotAvailable},
        {1200, 0, 50000, true, OperateDerived::kNoDcInput}, {1000, 40, 50000, false, OperateDerived::kNotAvailable}};
    for (const Row& row : rows) {
        Model().m_powerForward.Set(row.forward);
        Model().m_paCurrent.Set(row.amperes);
        Model().m_paVoltage.Set(row.millivolts);
        if (!row.voltageCurrent)
            Model().m_paVoltage.MarkStale();
        EXPECT_EQ(OperateDerived::Efficiency(Model()), row.expected) << row.forward << " W " << row.voltageCurrent;
    }
}

TEST_F(OperateDerivedTest, SwrScaleFollowsTheAmplifiersThresholdsForTheBandOnceRead)
{
    Model().m_band.Set(CModel::Band(5));
    OperateDerived::SwrZones zones = OperateDerived::SwrScale(Model());
    EXPECT_EQ(zones.caution, 1.5);
    EXPECT_EQ(zones.danger, 2.0);
    EXPECT_FALSE(zones.fromAmplifier);
    Model().m_swrThresholdRetune.Set(5, 25);
    Model().m_swrThresholdStop.Set(5, 30);
    zones = OperateDerived::SwrScale(Model());
    EXPECT_EQ(zones.caution, 2.5);
    EXPECT_EQ(zones.danger, 3.0);
    EXPECT_TRUE(zones.fromAmplifier);
}
