// The model's own operations: the device table, lost contact, unsaved edits, the SWR
// threshold group and the speed commands.
#include "link/VirtualEventHost.h"
#include "model/Model.h"
#include "model/QtSettingsStore.h"
#include "model/WaitCursor.h"
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {
class ModelTest : public ::testing::Test {
protected:
    ModelTest() : model(host, std::make_unique<CQtSettingsStore>(dir.filePath("s.ini"))) {}
    QTemporaryDir dir;
    CVirtualEventHost host;
    CModel model;
};

struct IdentifyCase {
    const char* response;
    bool found;
    int device;
    int kind;
};
}  // namespace

class Identify : public ModelTest, public ::testing::WithParamInterface<IdentifyCase> {};

TEST_P(Identify, SearchOrderAndKind)
{
    const IdentifyCase& c = GetParam();
    model.m_device.Set(CModelBase::DeviceATU800);
    int kind = -1;
    EXPECT_EQ(model.IdentifyDevice(c.response, &kind), c.found);
    EXPECT_EQ(model.m_device.m_value, c.found ? c.device : CModelBase::DeviceATU800);
    EXPECT_EQ(kind, c.found ? c.kind : -1);
}

INSTANTIATE_TEST_SUITE_P(Responses, Identify,
                         ::testing::Values(IdentifyCase{"^IQRO4000;", true, 15, 3},
                                           IdentifyCase{"^Iqro4000;", true, 15, 2},
                                           IdentifyCase{"^I RX5 QRO4000;", true, 2, 2},  // RX5 comes first
                                           IdentifyCase{"^IQRO800;", true, 3, 2},
                                           IdentifyCase{"^Iatu800;", true, 4, 2},
                                           IdentifyCase{"^IATU800;", true, 4, 3},
                                           IdentifyCase{"^IQ9;", true, 6, 3},
                                           IdentifyCase{"^Iq9;", true, 6, 2},
                                           IdentifyCase{"^ILDA0100;", true, 9, 3},
                                           IdentifyCase{"^IR5B;", true, 1, 2},
                                           IdentifyCase{"^IQrO4000;", false, 0, 0},
                                           IdentifyCase{";", false, 0, 0}));

TEST_F(ModelTest, ExpectedDeviceIsTheQro4000Only)
{
    model.m_device.Set(CModelBase::DeviceQRO4000);
    EXPECT_TRUE(model.IsExpectedDevice());
    model.m_device.Set(CModelBase::DeviceQRO800);
    EXPECT_FALSE(model.IsExpectedDevice());
}

TEST_F(ModelTest, ResetDeviceValuesForgetsTheAmplifier)
{
    model.m_firmwareRevision.Set(153);
    model.m_serialNumber.Set(1234);
    model.m_firmwareStatus.Set(FirmwareApplication);
    int notified = 0;
    struct CSink : IEventSink {
        int* count;
        void OnEvent(std::uint32_t, std::uintptr_t, std::intptr_t) override { ++*count; }
    } sink;
    sink.count = &notified;
    model.m_firmwareStatus.AddObserver(&sink);
    model.ResetDeviceValues();
    EXPECT_EQ(model.m_firmwareRevision.m_value, 0);
    EXPECT_EQ(model.m_serialNumber.m_value, 0xFFFF);
    EXPECT_EQ(model.m_firmwareStatus.m_value, FirmwareNone);
    EXPECT_EQ(notified, 1);
    model.ResetDeviceValues();  // already 0: not told again
    EXPECT_EQ(notified, 1);
    model.m_firmwareStatus.RemoveObserver(&sink);
}

TEST_F(ModelTest, UnsavedChangesFollowEveryPendingValue)
{
    EXPECT_FALSE(model.HasUnsavedChanges());
    model.m_swrThresholdStop.m_pending[10] = 25;
    EXPECT_TRUE(model.HasUnsavedChanges());
    model.m_swrThresholdStop.Set(10, 25);
    EXPECT_FALSE(model.HasUnsavedChanges());
    model.m_networkGateway.m_pending = "192.0.2.1";
    EXPECT_TRUE(model.HasUnsavedChanges());
}

TEST_F(ModelTest, SwrThresholdGroupSelector)
{
    EXPECT_EQ(&model.SwrThresholds(1), &model.m_swrThresholdNoMatch);
    EXPECT_EQ(&model.SwrThresholds(2), &model.m_swrThresholdRetune);
    EXPECT_EQ(&model.SwrThresholds(3), &model.m_swrThresholdStop);
    EXPECT_EQ(&model.SwrThresholds(0), &model.m_swrThresholdBypass);
    EXPECT_EQ(&model.SwrThresholds(7), &model.m_swrThresholdBypass);
}

TEST_F(ModelTest, SpeedCommands)
{
    const std::pair<DWORD, const char*> cases[] = {{4800, "^BR0;"},  {9600, "^BR1;"},   {19200, "^BR2;"},
                                                   {38400, "^BR3;"}, {57600, "^BR4;"},  {115200, "^BR5;"},
                                                   {230400, "^BR6;"}, {14400, ""}};
    for (const auto& [speed, command] : cases)
        EXPECT_EQ(CModelBase::SpeedCommand(speed), QByteArray(command)) << speed;
    // Only while the application runs.
    EXPECT_FALSE(model.ChangeSpeed(38400));
}

TEST_F(ModelTest, InitialValues)
{
    EXPECT_EQ(model.m_antenna.m_value, 1);
    EXPECT_EQ(model.m_atuMode.m_value, L'B');
    EXPECT_EQ(model.m_serialNumber.m_value, 0xFFFF);
    EXPECT_EQ(model.m_dateTimeUtc.m_value, 1);
    EXPECT_EQ(model.m_operatePollInterval.m_value, 300u);
    EXPECT_EQ(model.m_firmwareLoadRetryLimit.m_value, 10u);
    EXPECT_EQ(model.m_completion.EventId(), 0x801Du);
    EXPECT_EQ(model.m_portSpeed.EventId(), 0x8079u);
    EXPECT_EQ(model.m_temperature.EventId(), 0x816Du);
}

namespace {
class CCursorOwner : public CWaitCursorE<CCursorOwner> {
public:
    void ApplyWaitCursor(bool on) { changes.push_back(on); }
    std::vector<bool> changes;
};
}  // namespace

TEST(WaitCursor, NestedWaitsRestoreTheCursorOnlyAtTheLastEnd)
{
    CCursorOwner owner;
    owner.BeginWait();
    owner.BeginWait();
    owner.EndWait();
    EXPECT_EQ(owner.changes, (std::vector<bool>{true}));
    owner.EndWait();
    EXPECT_EQ(owner.changes, (std::vector<bool>{true, false}));
    owner.EndWait();  // unbalanced: ignored
    EXPECT_EQ(owner.WaitCount(), 0u);
}
